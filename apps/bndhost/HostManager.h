// bndhost's side of the host seam: progress on the terminal, answers to the
// module's questions, and where imported objects go.
#pragma once

#include <functional>
#include <string>

#include "orvo/IoManager.h"

namespace bndhost {

// Turns the module's "\r\n" line ends into plain "\n" for the terminal.
std::string PlainText(const std::string& text);

class HostManager final : public orvo::IoManager {
public:
    enum class Answer { Ask, Yes, No };

    HostManager(Answer answer, bool quiet);

    // Receives what an import hands over; false refuses it. Set per operation.
    std::function<bool(orvo::TrBase&)> receiver;

    // Set (by the SIGINT handler) to ask every running operation to stop.
    static void RequestStop();

    [[nodiscard]] std::string GetFormatName() const override;
    void ProgressStart() override;
    void ProgressMessage(const std::string& text) override;
    bool ProgressProportion(double fraction) override;
    void ProgressStop() override;
    int Warning(tamsel::IError::WarnStyle style, const std::string& text) override;
    bool ReceiveObject(orvo::TrBase& object) override;

private:
    void Draw(double fraction);

    Answer answer_;
    bool showProgress_;
    int depth_ = 0;
    bool drawn_ = false;
    int lastPercent_ = -1;
    std::string message_;
};

} // namespace bndhost
