#include "dpxtool/disk_reading.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dpx/temporary_image.h"
#include "dpxtool/command.h"
#include "floppy/format_track.h"
#include "floppy/layout.h"
#include "platform/console.h"
#include "platform/files.h"

namespace {

// No disk image file of the suite comes near this size: an SCP of 168 tracks of five revolutions
// is about 60 MB.
constexpr uint32_t kLargestDiskFile = 512u << 20;
constexpr int32_t kProgressBarWidth = 40;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FileHandle file;
    if (!OpenForReadingUnshared(path.c_str(), &file)) {
        ReportProblem(path, "cannot be opened (error " + std::to_string(LastSystemError()) + ")");
        return false;
    }
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t error = 0;
    bool ok = QueryFileSize(file, &low, &high);
    if (!ok) {
        ReportProblem(path, "its size cannot be read (error " + std::to_string(LastSystemError()) + ")");
    } else if (high != 0 || low > kLargestDiskFile) {
        ReportProblem(path, "too large for a disk image file");
        ok = false;
    } else {
        bytes->resize(low);
        ok = ReadExactly(file, bytes->data(), low, &error);
        if (!ok) ReportProblem(path, "cannot be read (error " + std::to_string(error) + ")");
    }
    CloseFile(file);
    return ok;
}

// "Reading X.SCP [########........] 80/160 tracks", redrawn in place; a line end after the last.
void DrawProgress(const std::string& path, int32_t done, int32_t total) {
    const int32_t filled = total > 0 ? done * kProgressBarWidth / total : kProgressBarWidth;
    std::fprintf(stderr, "\rReading %s [%s%s] %d/%d tracks", path.c_str(), std::string(filled, '#').c_str(),
                 std::string(kProgressBarWidth - filled, '.').c_str(), done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

bool ReadDiskFile(const std::string& path, bool unknownAsPlain, DiskImage* image) {
    DiskFileFormat format = DiskFileFormatOfName(path);
    if (format == DiskFileFormat::kUnknown && unknownAsPlain) format = DiskFileFormat::kPlainImage;
    if (format == DiskFileFormat::kUnknown) {
        ReportProblem(path, CheckDiskFile(format, nullptr, 0).error);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes)) return false;
    TrackProgress progress;
    if (format != DiskFileFormat::kPlainImage && StandardErrorIsConsole())
        progress = [&path](int32_t done, int32_t total) { DrawProgress(path, done, total); };
    const FileCheck check = ReadDiskImage(format, bytes.data(), bytes.size(), image, progress);
    if (!check.ok()) {
        ReportProblem(path, check.error);
        return false;
    }
    if (!check.warning.empty()) ReportProblem(path, check.warning);
    return true;
}

std::vector<std::string> BadSectorLines(const DiskImage& image) {
    std::vector<std::string> lines;
    for (const SectorReport& sector : image.sectors) {
        if (sector.state == SectorState::kGood) continue;
        char line[96];
        std::snprintf(line, sizeof line, "cylinder %d head %d sector %d: %s", sector.cylinder, sector.head,
                      sector.sector, SectorStateText(sector.state));
        lines.push_back(line);
    }
    return lines;
}

DiskContent ClassifyDiskContent(const std::vector<uint8_t>& image) {
    if (image.size() != static_cast<size_t>(kDiskBytes)) return DiskContent::kOther;
    const uint8_t* block = image.data() + kLargeSectorsBytes;  // sector 5 of cylinder 0, head 0
    const auto zero = [](uint8_t byte) { return byte == 0; };
    if (std::memcmp(block, kEmptyDiskIdentificationBlock.data(), kEmptyDiskIdentificationBlock.size()) == 0 &&
        std::all_of(image.begin(), image.begin() + kLargeSectorsBytes, zero) &&
        std::all_of(image.begin() + kTrackBytes, image.end(), zero))
        return DiskContent::kEmptyDisk;
    if (HasDpxIdentification(image.data())) return DiskContent::kConvertedBank;
    return DiskContent::kOther;
}
