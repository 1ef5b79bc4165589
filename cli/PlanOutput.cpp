#include "cli/PlanOutput.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "cli/Command.h"

namespace framewise::cli {

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

std::string Number(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", n);
    return text;
}

// Album numbers as the commands print them, runs shortened: "0001-0003, 0007".
std::string Numbers(const std::vector<int>& numbers) {
    std::string text;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += Number(numbers[i]);
        if (j > i) text += "-" + Number(numbers[j]);
        i = j + 1;
    }
    return text.empty() ? "none" : text;
}

std::string JsonArray(const std::vector<int>& numbers) {
    std::string text = "[";
    for (size_t i = 0; i < numbers.size(); ++i)
        text += (i ? ", " : "") + std::to_string(numbers[i]);
    return text + "]";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

std::string Plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string PlanSummary(const WritePlan& plan) {
    // A write of a block or two takes a fraction of a second; "about 0 s" read as nothing.
    const long seconds = std::lround(plan.seconds);
    return Plural(plan.BlocksWritten(), "block", "blocks") + ", " +
           Plural(static_cast<long>(plan.moved.size()), "picture", "pictures") + " moved, " +
           (seconds < 1 ? std::string("under 1 s") : "about " + std::to_string(seconds) + " s");
}

void PrintPlan(std::ostream& out, const WritePlan& plan, const std::string& source) {
    const bool restore = plan.kind == WritePlan::Kind::Restore;
    out << (restore ? "Restore plan for " + source : std::string("Write plan"))
        << " (dry run: nothing was written to the frame)\n";
    if (restore) {
        out << "  Read from the frame to find the blocks that differ: "
            << Plural(plan.blocksRead, "block", "blocks") << " (" << plan.bytesRead
            << " bytes), each verified\n";
    } else if (!plan.backup) {
        out << "  Backup first: none (an unfinished write's backup is kept as the way back)\n";
    } else if (plan.blocksRead == 0) {
        out << "  Backup first: from what the program has read already (nothing to read)\n";
    } else {
        out << "  Backup first: reads " << Plural(plan.blocksRead, "block", "blocks") << " ("
            << plan.bytesRead << " bytes) of the album area from the frame\n";
    }
    out << "  Blocks to erase and program: " << plan.BlocksWritten()
        << (plan.blocks.empty() ? " (the frame already holds the backup's album)" : "") << "\n";
    for (const PlannedBlock& block : plan.blocks) {
        out << "    " << Hex(block.address) << "  " << block.length << " bytes"
            << (block.erase ? "" : " (not erased)") << (block.index ? "  index block;" : "")
            << "  pictures " << Numbers(block.pictures) << "\n";
    }
    if (!restore) {
        out << "  Pictures added: " << Numbers(plan.added) << "\n"
            << "  Pictures moved by the repack: " << Numbers(plan.moved) << "\n";
    }
    out << "  Bytes to send: " << plan.bytesSent << "\n"
        << "  Estimated time: " << Seconds(plan.seconds) << " s ("
        << plan.work.Commands() << " commands, at the link's "
        << (plan.speedMeasured ? "measured speed" : "assumed speed") << ")\n"
        << "  The frame then holds " << Plural(plan.pictures, "picture", "pictures") << "\n"
        << "Summary: " << PlanSummary(plan) << "\n";
}

void PrintPlanJson(std::ostream& out, const WritePlan& plan, const std::string& source) {
    std::ostringstream json;
    const bool restore = plan.kind == WritePlan::Kind::Restore;
    json << "{\"kind\": " << (restore ? "\"restore\"" : "\"synchronize\"");
    if (restore) json << ", \"backupFile\": " << JsonString(source);
    json << ", \"blocks\": [";
    for (size_t i = 0; i < plan.blocks.size(); ++i) {
        const PlannedBlock& b = plan.blocks[i];
        json << (i ? ", " : "") << "{\"address\": " << b.address << ", \"length\": " << b.length
             << ", \"erase\": " << (b.erase ? "true" : "false")
             << ", \"index\": " << (b.index ? "true" : "false")
             << ", \"pictures\": " << JsonArray(b.pictures) << "}";
    }
    json << "], \"blocksWritten\": " << plan.BlocksWritten()
         << ", \"added\": " << JsonArray(plan.added) << ", \"moved\": " << JsonArray(plan.moved)
         << ", \"pictures\": " << plan.pictures << ", \"backup\": " << (plan.backup ? "true" : "false")
         << ", \"readsFrame\": " << (plan.readFrame ? "true" : "false")
         << ", \"blocksRead\": " << plan.blocksRead << ", \"bytesRead\": " << plan.bytesRead
         << ", \"bytesSent\": " << plan.bytesSent << ", \"commands\": " << plan.work.Commands()
         << ", \"seconds\": " << Seconds(plan.seconds)
         << ", \"speedMeasured\": " << (plan.speedMeasured ? "true" : "false") << "}\n";
    out << json.str();
}

void PrintBudget(std::ostream& out, const FlashBudget& b) {
    out << "Flash budget:   " << b.usedBytes << " bytes used (" << (b.usedBytes + 1023) / 1024
        << " KB), " << b.freeBytes << " bytes free for pictures (" << b.freeBytes / 1024
        << " KB)\n"
        << "More pictures:  about " << b.moreFit << " of " << b.pictureBytes << " bytes each ("
        << (b.estimated ? "estimated from the LCD size and quality" : "the album's average")
        << "; the frame takes " << b.capacity << " pictures at most)\n";
}

std::string BudgetJsonFields(const FlashBudget& b) {
    std::ostringstream json;
    json << ", \"budgetUsedBytes\": " << b.usedBytes << ", \"budgetFreeBytes\": " << b.freeBytes
         << ", \"averagePictureBytes\": " << b.pictureBytes
         << ", \"averageEstimated\": " << (b.estimated ? "true" : "false")
         << ", \"morePicturesFit\": " << b.moreFit;
    return json.str();
}

bool TakePlanOptions(Context& ctx, const char* synopsis, PlanOptions& options) {
    options.dryRun = TakeFlag(ctx.args, "--dry-run");
    options.json = TakeFlag(ctx.args, "--json");
    if (options.json && !options.dryRun) {
        ctx.err << "framewise-cli: --json goes with --dry-run\nusage: framewise-cli " << synopsis
                << "\n";
        return false;
    }
    return true;
}

}  // namespace framewise::cli
