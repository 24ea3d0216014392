#include "app/CloneMessages.h"

#include "overlay/cmcGTex.h"

#include <initializer_list>
#include <string_view>

namespace {

constexpr std::string_view kHead = "GI_Mess_CloneErr_Head";
constexpr std::string_view kCheck = "GI_Mess_CloneErr_Check";

// Which advice lines follow a status's head line.
struct StatusAdvice {
    int status;
    std::initializer_list<int> checkLines;
};

constexpr int kOther = -1;
const StatusAdvice kAdvice[] = {
    {2, {0, 1, 2, 3}},
    {10, {0, 2, 3}},
    {11, {0, 1, 2, 3, 4, 5}},
    {12, {0, 1, 2, 3, 4, 5}},
    {13, {6, 7}},
    {14, {0, 4, 5}},
    {16, {}},
    {kOther, {0, 1, 2, 3}},
};

const StatusAdvice& AdviceFor(CloneStatus status) {
    for (const StatusAdvice& a : kAdvice) {
        if (a.status == static_cast<int>(status)) return a;
    }
    return kAdvice[std::size(kAdvice) - 1];
}

// The head line of status 2 carries the port number as "%d"; a port given as a path is
// named by its path in the same place.
std::string WithPort(const std::string& pattern, const ClonePortLabel& port) {
    const std::size_t at = pattern.find("%d");
    if (at == std::string::npos) return pattern;
    const std::string name = port.comNumber > 0 ? std::to_string(port.comNumber) : port.device;
    return pattern.substr(0, at) + name + pattern.substr(at + 2);
}

}  // namespace

std::string CloneStatusMessage(CloneStatus status, const ClonePortLabel& port) {
    if (status == CloneStatus::Success || status == CloneStatus::Cancelled) return {};
    const int s = static_cast<int>(status);
    std::string text = GTex().GetLine(kHead, s);
    if (status == CloneStatus::PortOpen) {
        text = WithPort(text, port);
        if (!port.reason.empty()) text += "\n" + port.reason;
    }
    text += "\n\n";
    bool first = true;
    for (int line : AdviceFor(status).checkLines) {
        if (!first) text += "\n";
        text += GTex().GetLine(kCheck, line);
        first = false;
    }
    return text;
}
