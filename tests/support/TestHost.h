// A host for tests: records what a filter shows and hands over, and answers
// and refuses as a test tells it to.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "hostside/IoError.h"
#include "orvo/IoManager.h"
#include "orvo/Transferable.h"

namespace fennick::test {

class TestHost : public orvo::IoManager {
public:
    // What the host saw of an imported lattice; the defaults are what every
    // import gives (one plane, rows top first, the value range 0 to 1).
    struct Lattice {
        tamsel::CPrimType type;
        int columns = 0, rows = 0, planes = 1, components = 1;
        int storageOrder = 2, storageFlags = 0;
        double xMin = 0, yMin = 0, zMin = 0, dx = 1, dy = 1, dz = 1;
        bool operator==(const Lattice&) const = default;
    };

    // Answers and refusals.
    int warningAnswer = 0;
    std::optional<int> cancelAtProportionCall; // 0-based index of the ProgressProportion call that cancels
    bool refuseLattice = false;
    std::optional<int> refuseRow;    // 0-based row whose hand-over is refused
    std::function<void()> onLattice; // runs when the lattice arrives

    // Records.
    int progressStarts = 0;
    int progressStops = 0;
    std::vector<std::string> messages;
    std::vector<double> proportions;
    std::vector<std::string> warnings;
    std::optional<Lattice> lattice;
    tamsel::CParamList params; // the lattice's
    std::vector<std::vector<unsigned char>> rows;

    [[nodiscard]] bool ProgressOpen() const { return progressStarts > progressStops; }

    [[nodiscard]] std::string GetFormatName() const override { return "Banded test format"; }
    void ProgressStart() override { ++progressStarts; }
    void ProgressMessage(const std::string& text) override { messages.push_back(text); }
    bool ProgressProportion(double fraction) override;
    void ProgressStop() override { ++progressStops; }
    int Warning(tamsel::IError::WarnStyle style, const std::string& text) override;
    bool ReceiveObject(orvo::TrBase& object) override;
};

// Runs `action`, which must raise orvo::IoError through the host, and returns it.
template <class Action>
orvo::IoError CatchIoError(Action&& action)
{
    try {
        action();
    } catch (const orvo::IoError& error) {
        return error;
    }
    ADD_FAILURE() << "expected an orvo::IoError";
    return orvo::IoError("(none raised)", std::nullopt, "");
}

} // namespace fennick::test
