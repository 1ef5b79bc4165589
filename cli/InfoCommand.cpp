// framewise-cli info: attaches the frame, reads its album and prints what it is and holds.
#include <cstdio>
#include <ostream>

#include "cli/Command.h"
#include "cli/PlanOutput.h"
#include "cli/SessionFrontend.h"

namespace framewise::cli {

namespace {

constexpr const char* kSynopsis = "info [--json]";

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

int RunInfo(Context& ctx) {
    const bool json = TakeFlag(ctx.args, "--json");
    if (!ctx.args.empty()) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;

    const DeviceInfo& info = session.Connection().Info();
    const FlashModel& model = session.Connection().Model();
    const int pictures = session.List().ItemCount();
    const long flashBytes = static_cast<long>(info.FlashBytes());
    const long used = model.UsedEnd();
    const long freeBytes = model.FreeSpace();
    const long pictureBytes = model.TotalStoredBytes();
    const std::string device = session.Link().DevicePath();
    const std::string firmware = info.firmwareVersion;
    const FlashBudget budget =
        ComputeFlashBudget(model, info, pictures, session.Encoder().quality());

    if (json) {
        ctx.out << "{\"device\": " << JsonString(device)
                << ", \"simulated\": " << (session.Simulated() ? "true" : "false")
                << ", \"vendor\": " << JsonString(session.Link().Vendor())
                << ", \"product\": " << JsonString(session.Link().Product())
                << ", \"firmware\": " << JsonString(firmware) << ", \"lcdWidth\": " << info.lcdWidth
                << ", \"lcdHeight\": " << info.lcdHeight << ", \"flashKB\": " << info.flashSizeKB
                << ", \"indexAddress\": " << info.indexAddress
                << ", \"capacity\": " << info.capacity
                << ", \"pictureFormat\": " << static_cast<int>(info.formatValue)
                << ", \"jpegQuality\": " << info.m_nJpgQuality << ", \"pictures\": " << pictures
                << ", \"pictureBytes\": " << pictureBytes << ", \"usedBytes\": " << used
                << ", \"freeBytes\": " << freeBytes << BudgetJsonFields(budget) << "}\n";
        return kExitOk;
    }
    ctx.out << "Device:         " << device << (session.Simulated() ? " (simulated)" : "") << "\n"
            << "Firmware:       " << (firmware.empty() ? "(unknown)" : firmware) << "\n"
            << "LCD:            " << info.lcdWidth << " x " << info.lcdHeight << "\n"
            << "Flash:          " << info.flashSizeKB << " KB (" << flashBytes << " bytes)\n"
            << "Index address:  " << Hex(info.indexAddress) << "\n"
            << "Capacity:       " << info.capacity << " pictures\n"
            << "Picture format: " << static_cast<int>(info.formatValue) << "\n"
            << "JPEG quality:   " << info.m_nJpgQuality << "\n"
            << "Pictures:       " << pictures << " (" << pictureBytes << " bytes)\n"
            << "Used flash:     " << used << " bytes (" << (used + 1023) / 1024 << " KB)\n"
            << "Free flash:     " << freeBytes << " bytes (" << freeBytes / 1024 << " KB)\n";
    PrintBudget(ctx.out, budget);
    return kExitOk;
}

const CommandRegistrar kInfo({"info", kSynopsis,
                              "attach the frame and show what it is, its picture count and its "
                              "used and free flash, and how many more pictures fit",
                              RunInfo});

}  // namespace
}  // namespace framewise::cli
