#include "transfer/WritePlan.h"

#include <algorithm>

#include "transfer/DeviceConnection.h"
#include "transfer/FlashBackup.h"
#include "transfer/SyncJournal.h"
#include "transfer/SyncPlan.h"

namespace framewise {

using namespace flash;

namespace {

uint32_t BlockLength(uint32_t address, uint32_t flashBytes) {
    return address < flashBytes ? std::min(kBlockSize, flashBytes - address) : 0;
}

// One block written as WriteBlockChecked writes it when its first attempt verifies.
LinkWork BlockWriteWork(const PlannedBlock& block) {
    LinkWork work;
    if (block.erase) work += DeviceCommands::EraseBlockWork();
    work += DeviceCommands::WriteFlashWork(block.length);
    work += DeviceCommands::VerifyValueWork();
    return work;
}

// One part read as ReadVerified reads it when it matches at once.
LinkWork PartReadWork(uint32_t length) {
    LinkWork work = DeviceCommands::ReadFlashWork(length);
    work += DeviceCommands::VerifyValueWork();
    return work;
}

// The album numbers among pictures (address, length in album order) that touch the block.
template <typename Pictures, typename Extent>
std::vector<int> PicturesIn(uint32_t address, uint32_t length, const Pictures& pictures,
                            Extent extent) {
    std::vector<int> numbers;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const auto [start, bytes] = extent(pictures[i]);
        if (bytes <= 0) continue;
        if (start < int64_t{address} + length && start + bytes > int64_t{address})
            numbers.push_back(static_cast<int>(i) + 1);
    }
    return numbers;
}

void Finish(DeviceConnection& connection, WritePlan& plan) {
    for (const PlannedBlock& block : plan.blocks) {
        plan.work += BlockWriteWork(block);
        plan.bytesSent += block.length;
    }
    const LinkMeter& meter = connection.Commands().Meter();
    plan.seconds = meter.Estimate(plan.work);
    plan.speedMeasured = meter.In().measured;
}

// The parts of the album area a synchronize's backup asks the frame for (ReadAlbumArea reads
// each part through ReadKnown): those this connection does not know whole.
void PlanBackupReads(DeviceConnection& connection, WritePlan& plan) {
    const DeviceInfo& info = connection.Info();
    const uint32_t flashBytes = info.FlashBytes();
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    if (flashBytes < kHeaderSize || uint64_t{ia} + kIndexBlockSize > flashBytes) return;
    // The frame's own index decides how far the backup reads: as this connection knows it, else
    // as the album read left it in the device image.
    std::vector<uint8_t> index(kIndexBlockSize);
    if (!connection.RecallKnown(ia, kIndexBlockSize, index.data()))
        std::copy_n(connection.Model().DeviceImage().begin() + ia, kIndexBlockSize, index.begin());
    const uint32_t end = AlbumAreaEnd(index.data(), info);
    for (uint32_t address = ia; address < end;) {
        const uint32_t length = std::min(kBlockSize - address % kBlockSize, end - address);
        if (!connection.RecallKnown(address, length)) {
            ++plan.blocksRead;
            plan.bytesRead += length;
            plan.work += PartReadWork(length);
        }
        address += length;
    }
}

}  // namespace

WritePlan PlanSynchronize(DeviceConnection& connection, int albumCount,
                          const std::filesystem::path& backupRoot) {
    WritePlan plan;
    plan.kind = WritePlan::Kind::Synchronize;
    const FlashModel& model = connection.Model();
    if (!model.IsAllocated()) return plan;
    const int n = std::clamp(albumCount, 0, kIndexEntries);
    const uint32_t flashBytes = static_cast<uint32_t>(model.FlashBytes());
    plan.pictures = n;
    plan.work += DeviceCommands::WakeWork();
    plan.backup = !ReadSyncJournal(backupRoot, connection.Info()).has_value();
    if (plan.backup) PlanBackupReads(connection, plan);

    std::vector<const PictureRecord*> records;
    for (int i = 0; i < n; ++i) {
        const PictureRecord& record = model.Record(i);
        records.push_back(&record);
        if (record.inUse == 1 && record.added) plan.added.push_back(i + 1);
        if (record.inUse == 1 && record.moved) plan.moved.push_back(i + 1);
    }
    const auto extent = [&model](const PictureRecord* r) {
        const bool inArea = r->inUse == 1 && model.InPictureArea(r->address, r->length);
        return std::pair<int64_t, int64_t>{r->address, inArea ? r->length : 0};
    };
    const auto addBlock = [&](uint32_t address, bool index) {
        PlannedBlock block;
        block.address = address;
        block.length = BlockLength(address, flashBytes);
        block.erase = (address & 0xFFFF) == 0;
        block.index = index;
        block.pictures = PicturesIn(address, block.length, records, extent);
        plan.blocks.push_back(std::move(block));
    };
    // The synchronize's own choice, picture by picture.
    for (const auto& blocks : ChooseSyncBlocks(model, n))
        for (uint32_t address : blocks) addBlock(address, false);
    addBlock(static_cast<uint32_t>(model.IndexAddress()), true);
    Finish(connection, plan);
    return plan;
}

bool PlanRestore(DeviceConnection& connection, const std::filesystem::path& file, WritePlan& plan,
                 std::string& error) {
    plan = WritePlan{};
    plan.kind = WritePlan::Kind::Restore;
    plan.readFrame = true;
    std::vector<uint8_t> image;
    if (!LoadFlashBackup(connection, file, image, error)) return false;
    const DeviceInfo& info = connection.Info();
    if (info.indexAddress % static_cast<int>(kBlockSize) != 0) {
        error = "the frame's index block does not start a 64 KB block; it cannot be restored";
        return false;
    }
    const uint32_t flashBytes = info.FlashBytes();
    const std::vector<ListedPicture> listed = ListedPictures(image, info);
    plan.pictures = static_cast<int>(listed.size());
    const auto extent = [](const ListedPicture& p) {
        return std::pair<int64_t, int64_t>{p.address, p.length};
    };
    plan.work += DeviceCommands::WakeWork();
    std::vector<uint8_t> held;
    for (uint32_t address : RestoreBlockOrder(image, info)) {
        const uint32_t length = BlockLength(address, flashBytes);
        ++plan.blocksRead;
        plan.bytesRead += length;
        plan.work += PartReadWork(length);
        // The restore's own comparison; a block that cannot be read back for sure is written.
        if (FrameHoldsBlock(connection, image, address, held)) continue;
        PlannedBlock block;
        block.address = address;
        block.length = length;
        block.erase = true;
        block.index = address == static_cast<uint32_t>(info.indexAddress);
        block.pictures = PicturesIn(address, length, listed, extent);
        plan.blocks.push_back(std::move(block));
    }
    Finish(connection, plan);
    return true;
}

}  // namespace framewise
