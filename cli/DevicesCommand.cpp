// framewise-cli devices: lists the frame a scan finds, with its firmware version.
#include <iostream>

#include "cli/Command.h"
#include "cli/TerminalFrontend.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/SimulatedFrame.h"

namespace framewise::cli {

namespace {

int RunDevices(Context& ctx) {
    if (!ctx.args.empty()) {
        ctx.err << "usage: framewise-cli devices\n";
        return kExitUsage;
    }
    TerminalFrontend frontend(ctx.err, std::cin, TerminalFrontend::StdinIsTerminal());
    DeviceLinkOptions options;
    if (ctx.global.simulateImage) {
        std::string error;
        options.simulatedFrame = SimulatedFrame::Open(*ctx.global.simulateImage, error);
        if (!options.simulatedFrame) {
            ctx.err << "framewise-cli: " << error << "\n";
            return kExitFailure;
        }
        for (const auto& [kind, command] : ctx.global.simFaults)
            options.simulatedFrame->InjectFault(kind, command);
    }
    options.useUdev = false;  // one scan, no notifications needed
    DeviceLink link(frontend, options);
    link.Start();
    if (!link.IsPresent()) {
        ctx.err << "framewise-cli: no picture frame is plugged in\n";
        return kExitFailure;
    }
    DeviceCommands commands(link);
    std::string firmware;
    if (!commands.ReadFirmwareVersion(firmware)) firmware = "(unknown)";
    ctx.out << "NODE\tVENDOR\tPRODUCT\tFIRMWARE\n"
            << link.DevicePath() << "\t" << link.Vendor() << "\t" << link.Product() << "\t"
            << firmware << "\n";
    link.Teardown();
    return kExitOk;
}

const CommandRegistrar kDevices({"devices", "devices",
                                 "list the picture frame that is plugged in (or simulated)",
                                 RunDevices});

}  // namespace
}  // namespace framewise::cli
