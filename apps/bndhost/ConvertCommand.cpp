// bndhost convert: a raster imported and exported by the module, with a
// note of what the export's 32-bit whole numbers change.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

#include "Commands.h"
#include "Imports.h"
#include "Outputs.h"
#include "Session.h"
#include "System.h"
#include "fennick/Facts.h"
#include "files/Platform.h"
#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"

namespace bndhost {

namespace fs = std::filesystem;
using fennick::platform::TextOf;

namespace {

// What writing values as signed 32-bit whole numbers changes: a fraction
// is dropped (the value truncates toward zero), a value whose whole part
// lies beyond the range saturates, and NaN is written as 0.
struct ValueChanges {
    std::uint64_t fractions = 0;
    std::uint64_t saturated = 0;
    std::uint64_t nan = 0;

    template <class T>
    void Count(T value)
    {
        if constexpr (std::is_floating_point_v<T>) {
            // -2^31 and 2^31 are exact in either width, unlike INT32_MAX.
            const T whole = std::trunc(value);
            nan += std::isnan(value) ? 1 : 0;
            fractions += std::isfinite(value) && whole != value ? 1 : 0;
            saturated += whole < static_cast<T>(-0x1p31) || whole >= static_cast<T>(0x1p31) ? 1 : 0;
        } else if constexpr (sizeof(T) > 4) {
            saturated +=
                value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max();
        }
    }

    // "2 values lose their fractions; ..."; empty when nothing changes.
    [[nodiscard]] std::string Said() const
    {
        std::string said;
        const auto add = [&](std::uint64_t n, const char* one, const char* many) {
            if (n > 0) {
                said += (said.empty() ? "" : "; ") + std::to_string(n) + (n == 1 ? one : many);
            }
        };
        add(fractions, " value loses its fraction", " values lose their fractions");
        add(saturated, " value beyond the signed 32-bit range saturates",
            " values beyond the signed 32-bit range saturate");
        add(nan, " NaN value is written as 0", " NaN values are written as 0");
        return said;
    }
};

} // namespace

Exit RunConvert(Session& session, const fs::path& in, const fs::path& out)
{
    RefuseInput(in, out);
    // The module stages the raster and replaces the previous one whole, or
    // leaves it as it was, when the export ends or is given up.
    const sys::ModuleAtWork working;
    const std::unique_ptr<orvo::IoExportFilter> exporter = session.NewExporter();
    const std::string name = TextOf(out);
    if (exporter->BeginExport(name.c_str(), false) != orvo::ExportStatus::Done) {
        return NotDone("refused: the module would not export to " + name +
                       " (it needs an extension other than .hdr: .bip or .bsq chooses that layout, any other BIL)");
    }
    // What the export's 32-bit whole numbers change of floating-point and
    // 64-bit values, counted from the values as the rows go by.
    ValueChanges changes;
    // Each object goes to the export when it says it takes its type, as a host relays.
    const auto relay = [&](orvo::TrBase& object) {
        return exporter->IsTypeSupported(object.GetTypeId()) &&
               exporter->ExportObject(object) == orvo::ExportStatus::Done;
    };
    const Exit imported = session.Import(in, relay, [&](orvo::TrLatticeScan& scan) {
        const fennick::ElementType* type = fennick::ElementTypeOf(orvo::LatticeRows::LatticeOf(scan).elementType);
        if (type != nullptr && (type->kind == fennick::SampleKind::Float || type->bytes > 4)) {
            ForEachValue(scan, [&](std::size_t, std::size_t, auto value) { changes.Count(value); });
        }
        return relay(scan);
    });
    if (imported != ExitDone) {
        return imported; // the module gives up its files; a previous output stays as it was
    }
    if (exporter->EndExport() != orvo::ExportStatus::Done) {
        return NotDone("refused: nothing was exported to " + name);
    }
    if (const std::string said = changes.Said(); !said.empty()) {
        Complain("note: " + name + " holds the values of " + TextOf(in) + " as 32-bit whole numbers: " + said);
    }
    return ExitDone;
}

} // namespace bndhost
