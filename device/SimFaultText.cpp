#include "device/SimFaultText.h"

#include <array>

namespace framewise {

namespace {
constexpr std::array<std::pair<SimFault, std::string_view>, 5> kNames{{
    {SimFault::FailTransfer, "fail-transfer"},
    {SimFault::FlipReadBit, "flip-read-bit"},
    {SimFault::CorruptProgram, "corrupt-program"},
    {SimFault::WrongVerify, "wrong-verify"},
    {SimFault::Unplug, "unplug"},
}};

// A command count far beyond any run, so that the countdown can never overflow.
constexpr uint64_t kMaxCommand = 1'000'000'000'000ull;
}  // namespace

std::string_view SimFaultName(SimFault kind) {
    for (const auto& [k, name] : kNames)
        if (k == kind) return name;
    return "?";
}

std::string SimFaultNames() {
    std::string names;
    for (const auto& [kind, name] : kNames) {
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

std::optional<std::pair<SimFault, uint64_t>> ParseSimFault(std::string_view text,
                                                           std::string& error) {
    const std::string shown = "\"" + std::string(text) + "\"";
    const size_t at = text.rfind('@');
    if (at == std::string_view::npos) {
        error = shown + " is not KIND@N (e.g. unplug@40)";
        return std::nullopt;
    }
    const std::string_view kindText = text.substr(0, at);
    const std::string_view countText = text.substr(at + 1);
    std::optional<SimFault> kind;
    for (const auto& [k, name] : kNames)
        if (name == kindText) kind = k;
    if (!kind) {
        error = shown + ": the fault is one of " + SimFaultNames();
        return std::nullopt;
    }
    uint64_t count = 0;
    bool digits = !countText.empty();
    for (char c : countText) {
        if (c < '0' || c > '9' || count > kMaxCommand) {
            digits = false;
            break;
        }
        count = count * 10 + static_cast<uint64_t>(c - '0');
    }
    if (!digits || count < 1 || count > kMaxCommand) {
        error = shown + ": N is the command the fault hits, counted from 1";
        return std::nullopt;
    }
    return std::pair{*kind, count};
}

}  // namespace framewise
