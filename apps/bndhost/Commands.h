// The bndhost commands; each returns bndhost's exit status.
#pragma once

#include <iosfwd>
#include <string>

#include "Session.h"

namespace bndhost {

// Probe and import `path`; print the probe result, the lattice summary, what
// the header says of the samples and each band's minimum, maximum and mean
// (leaving out nodata and NaN values), as text or as one JSON object.
Exit RunInfo(Session& session, const std::string& path, bool json, std::ostream& out);

// Import `in` and export it to `out`.
Exit RunConvert(Session& session, const std::string& in, const std::string& out);

// Every node of `path` as a line "x y v0 [v1 ...]", top row first, west to
// east; to standard output when `out` is empty, else staged into `out`.
Exit RunXyz(Session& session, const std::string& path, const std::string& out);

// A grayscale PNG of band `band` of `path`, scaled from the band's minimum to its maximum.
Exit RunPreview(Session& session, const std::string& path, const std::string& png, int band, std::ostream& out);

// The built-in example (see Demo.cpp).
Exit RunDemo(Session& session, const std::string& folder, std::ostream& out);

} // namespace bndhost
