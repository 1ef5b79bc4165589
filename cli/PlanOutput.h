// How framewise-cli shows a write plan (--dry-run, --json) and the flash budget (info).
#pragma once

#include <iosfwd>
#include <string>

#include "transfer/FlashBudget.h"
#include "transfer/WritePlan.h"

namespace framewise::cli {

struct Context;
class SessionFrontend;

std::string JsonString(const std::string& text);

// The plan as lines of text, or as one JSON object on one line; source names the backup of
// a restore (empty for a synchronize).
void PrintPlan(std::ostream& out, const WritePlan& plan, const std::string& source = {});
void PrintPlanJson(std::ostream& out, const WritePlan& plan, const std::string& source = {});
// The one-line summary, e.g. "3 blocks, 2 pictures moved, about 2 s".
std::string PlanSummary(const WritePlan& plan);

// The budget's lines of info, and its fields of info --json (", \"key\": value" each).
void PrintBudget(std::ostream& out, const FlashBudget& budget);
std::string BudgetJsonFields(const FlashBudget& budget);

// The --dry-run and --json options of the commands that write to the frame: taken out of
// ctx.args; false (after the usage line) for --json without --dry-run.
struct PlanOptions {
    bool dryRun = false;
    bool json = false;
};
bool TakePlanOptions(Context& ctx, const char* synopsis, PlanOptions& options);

}  // namespace framewise::cli
