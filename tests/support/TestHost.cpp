#include "support/TestHost.h"
#include "hostside/Lattices.h"
#include "hostside/ParamReader.h"

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
        Lattice seen;
        seen.type = source.elementType;
        seen.columns = source.columns;
        seen.rows = source.rows;
        seen.planes = source.planes;
        seen.components = source.components;
        seen.storageOrder = source.storageOrder;
        seen.storageFlags = source.storageFlags;
        seen.xMin = source.xMin;
        seen.yMin = source.yMin;
        seen.zMin = source.zMin;
        seen.dx = source.dx;
        seen.dy = source.dy;
        seen.dz = source.dz;
        if (const std::string* info = tamsel::CParamReader::Find(source.GetParams(), "LatticeInfo")) {
            seen.info = *info;
        }
        lattice = seen;
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
