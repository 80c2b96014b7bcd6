// bndhost's side of the host seam: progress on the terminal, answers to the
// module's questions, and where imported objects go.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "orvo/IoManager.h"

namespace bndhost {

// Turns the module's "\r\n" line ends into plain "\n" for the terminal.
std::string PlainText(std::string text);

// The text on one line: each run of line ends becomes one space.
std::string OneLine(const std::string& text);

// Clears the progress line if one is drawn, then prints "bndhost: " and the
// message on one line to stderr.
void Complain(const std::string& message);

class HostManager final : public orvo::IoManager {
public:
    enum class Answer { Ask, Yes, No };

    HostManager(Answer answer, bool quiet);

    // Receives what an import hands over; false refuses it. Set per operation.
    std::function<bool(orvo::TrBase&)> receiver;

    // Set (by the SIGINT handler) to ask every running operation to stop.
    static void RequestStop();
    [[nodiscard]] static bool StopRequested();

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
    // The message of each open progress, innermost last: when an inner one
    // (the import inside a convert) stops, the outer one shows again.
    std::vector<std::string> messages_;
    int lastPercent_ = -1;
};

} // namespace bndhost
