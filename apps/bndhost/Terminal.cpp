// The session on the terminal: progress, the module's questions and bndhost's messages.
#include "Session.h"
#include "System.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace bndhost {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
bool progressDrawn = false; // a progress line is on stderr

void ClearProgressLine()
{
    if (progressDrawn) {
        std::fputs("\r\033[K", stderr);
        progressDrawn = false;
    }
}

// Writes `text` to stderr in one write, so that the lines of bndhost
// processes running side by side never interleave.
void Say(const std::string& text)
{
    std::cerr.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::cerr.flush();
}

} // namespace

std::string PlainText(std::string text)
{
    std::erase(text, '\r');
    return text;
}

std::string OneLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        const bool lineEnd = c == '\r' || c == '\n';
        if (!lineEnd || (!line.empty() && line.back() != ' ')) {
            line += lineEnd ? ' ' : c;
        }
    }
    line.erase(line.find_last_not_of(' ') + 1); // none left when all are
    return line;
}

void Complain(const std::string& message)
{
    ClearProgressLine();
    Say("bndhost: " + OneLine(message) + "\n");
}

void Session::RequestStop()
{
    stopRequested = 1;
}

bool Session::StopRequested()
{
    return stopRequested != 0;
}

std::string Session::GetFormatName() const
{
    return "Banded raster (BIL/BIP/BSQ)";
}

void Session::ProgressStart()
{
    messages_.emplace_back();
}

void Session::ProgressMessage(const std::string& text)
{
    if (messages_.empty()) {
        messages_.emplace_back();
    }
    messages_.back() = text;
    lastPercent_ = -1;
}

bool Session::ProgressProportion(double fraction)
{
    if (showProgress_) {
        Draw(fraction);
    }
    return stopRequested == 0;
}

void Session::ProgressStop()
{
    if (messages_.empty()) {
        return;
    }
    messages_.pop_back();
    if (messages_.empty()) {
        ClearProgressLine();
    } else if (progressDrawn) {
        const int percent = lastPercent_;
        lastPercent_ = -1;
        ClearProgressLine();
        Draw(percent / 100.0); // the outer operation goes on, e.g. the export's writing
    }
}

void Session::Draw(double fraction)
{
    const int percent = fraction <= 0.0 ? 0 : fraction >= 1.0 ? 100 : static_cast<int>(fraction * 100.0);
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int width = 30;
    const int filled = percent * width / 100;
    const std::string& message = messages_.empty() ? std::string() : messages_.back();
    std::fprintf(stderr, "\r\033[K%s [%.*s%*s] %3d%%", message.c_str(), filled, "##############################",
                 width - filled, "", percent);
    std::fflush(stderr);
    progressDrawn = true;
}

int Session::Warning(tamsel::IError::WarnStyle style, const std::string& text)
{
    ClearProgressLine();
    Say(PlainText(text) + "\n");
    if (style != tamsel::IError::YesNo) {
        return 0;
    }
    if (answer_ != Answer::Ask) {
        Say(answer_ == Answer::Yes ? "bndhost: answering yes (--yes)\n" : "bndhost: answering no (--no)\n");
        return answer_ == Answer::Yes ? 1 : 0;
    }
    if (!sys::IsTerminal(sys::Stream::Input) || !sys::IsTerminal(sys::Stream::Error)) {
        Say("bndhost: no terminal to ask; answering no (--yes continues)\n");
        return 0;
    }
    Say("[y/N] ");
    // The terminal gives a line (or the end of the input) at once when it has
    // one; until then Ctrl-C is looked for, which the import then ends as
    // interrupted. The end of the input declines. Either way the next message
    // starts a line of its own.
    std::string reply;
    if (!sys::WaitForInput(stopRequested) || !std::getline(std::cin, reply)) {
        std::cerr << '\n';
        return 0;
    }
    return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y') ? 1 : 0;
}

} // namespace bndhost
