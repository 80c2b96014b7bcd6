#include "HostManager.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace bndhost {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

bool IsTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

} // namespace

std::string PlainText(const std::string& text)
{
    std::string plain;
    plain.reserve(text.size());
    for (const char c : text) {
        if (c != '\r') {
            plain += c;
        }
    }
    return plain;
}

HostManager::HostManager(Answer answer, bool quiet)
    : answer_(answer), showProgress_(!quiet && IsTerminal(STDERR_FILENO))
{
}

void HostManager::RequestStop()
{
    stopRequested = 1;
}

std::string HostManager::GetFormatName() const
{
    return "Banded raster (BIL/BIP/BSQ)";
}

void HostManager::ProgressStart()
{
    ++depth_;
}

void HostManager::ProgressMessage(const std::string& text)
{
    message_ = text;
    lastPercent_ = -1;
}

bool HostManager::ProgressProportion(double fraction)
{
    if (showProgress_) {
        Draw(fraction);
    }
    return stopRequested == 0;
}

void HostManager::ProgressStop()
{
    if (depth_ > 0 && --depth_ == 0 && drawn_) {
        std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }
}

void HostManager::Draw(double fraction)
{
    const int percent = fraction <= 0.0 ? 0 : fraction >= 1.0 ? 100 : static_cast<int>(fraction * 100.0);
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int width = 30;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", message_.c_str(), filled, "##############################",
                 width - filled, "", percent);
    std::fflush(stderr);
    drawn_ = true;
}

int HostManager::Warning(tamsel::IError::WarnStyle style, const std::string& text)
{
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }
    std::cerr << PlainText(text) << '\n';
    if (style != tamsel::IError::YesNo) {
        return 0;
    }
    if (answer_ == Answer::Yes) {
        std::cerr << "bndhost: answering yes (--yes)\n";
        return 1;
    }
    if (answer_ == Answer::No) {
        std::cerr << "bndhost: answering no (--no)\n";
        return 0;
    }
    if (!IsTerminal(STDIN_FILENO) || !IsTerminal(STDERR_FILENO)) {
        std::cerr << "bndhost: no terminal to ask; answering no (--yes continues)\n";
        return 0;
    }
    std::cerr << "[y/N] " << std::flush;
    std::string reply;
    std::getline(std::cin, reply);
    return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y') ? 1 : 0;
}

bool HostManager::ReceiveObject(orvo::TrBase& object)
{
    return receiver ? receiver(object) : true;
}

} // namespace bndhost
