// The bndhost commands; each returns bndhost's exit status.
#pragma once

#include <iosfwd>
#include <string>

#include "Session.h"

namespace bndhost {

// Probe and import `path`; print the probe result, the lattice summary and
// each band's minimum, maximum and mean.
Exit RunInfo(Session& session, const std::string& path, std::ostream& out);

// Import `in` and export it to `out`.
Exit RunConvert(Session& session, const std::string& in, const std::string& out);

// A grayscale PNG of band `band` of `path`, scaled from the band's minimum to its maximum.
Exit RunPreview(Session& session, const std::string& path, const std::string& png, int band, std::ostream& out);

// The built-in example (see Demo.cpp).
Exit RunDemo(Session& session, const std::string& folder, std::ostream& out);

} // namespace bndhost
