#include "support/TestHost.h"
#include "hostside/Lattices.h"

namespace fennick::test {

bool TestHost::ProgressProportion(double fraction)
{
    const bool cancel = cancelAtProportionCall && static_cast<int>(proportions.size()) == *cancelAtProportionCall;
    proportions.push_back(fraction);
    return !cancel;
}

int TestHost::Warning(tamsel::IError::WarnStyle /*style*/, const std::string& text)
{
    warnings.push_back(text);
    return warningAnswer;
}

bool TestHost::ReceiveObject(orvo::TrBase& object)
{
    if (object.GetTypeId() == orvo::TrUniformLattice::GetClassTypeId()) {
        const auto& source = static_cast<const orvo::TrUniformLattice&>(object);
        lattice = Lattice{source.elementType,  source.columns,      source.rows, source.planes, source.components,
                          source.storageOrder, source.storageFlags, source.xMin, source.yMin,   source.zMin,
                          source.dx,           source.dy,           source.dz};
        params = source.GetParams();
        if (onLattice) {
            onLattice();
        }
        return !refuseLattice;
    }
    if (object.GetTypeId() == orvo::TrLatticeScan::GetClassTypeId()) {
        const auto& scan = static_cast<const orvo::TrLatticeScan&>(object);
        if (refuseRow && static_cast<int>(rows.size()) == *refuseRow) {
            return false;
        }
        rows.emplace_back(scan.rowBuffer, scan.rowBuffer + orvo::LatticeRows::RowBytes(scan));
        return true;
    }
    return false;
}

} // namespace fennick::test
