#include "dpxtool/disk_image_info.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "dpxtool/command.h"
#include "dpxtool/disk_reading.h"
#include "floppy/layout.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"
#include "inspect/output_file.h"
#include "platform/files.h"
#include "platform/scratch_files.h"

namespace {

// Cylinders on one line of the track table.
constexpr int32_t kCylindersPerLine = 10;

const char* ContentText(DiskContent content) {
    switch (content) {
        case DiskContent::kEmptyDisk:
            return "an empty DPX-1 disk, as NIMROSE formats it";
        case DiskContent::kConvertedBank:
            return "a DPX-1 disk with the maker's identification, as a converted Emulator II bank has";
        case DiskContent::kOther:
            break;
    }
    return "neither an empty DPX-1 disk nor a converted Emulator II bank";
}

const char* ContentWord(DiskContent content) {
    switch (content) {
        case DiskContent::kEmptyDisk:
            return "empty";
        case DiskContent::kConvertedBank:
            return "bank";
        case DiskContent::kOther:
            break;
    }
    return "other";
}

std::string GeometryText(DiskFileFormat format, const DiskFileGeometry& geometry) {
    char text[160];
    int length = std::snprintf(text, sizeof text, "%s, %d cylinders, %d %s", DiskFileFormatName(format),
                               geometry.cylinders, geometry.sides, geometry.sides == 1 ? "side" : "sides");
    if (format == DiskFileFormat::kHfe)
        std::snprintf(text + length, sizeof text - length, ", %u kbit/s, %u rpm", geometry.bitRate,
                      geometry.rpm);
    if (format == DiskFileFormat::kScp)
        std::snprintf(text + length, sizeof text - length, ", %d revolutions%s", geometry.revolutions,
                      geometry.indexAligned ? " from the index" : "");
    return text;
}

void PrintText(const std::string& path, DiskFileFormat format, const DiskImage& image, DiskContent content) {
    std::printf("%-14s %s\n", "File", path.c_str());
    std::printf("%-14s %s\n", "Format", GeometryText(format, image.geometry).c_str());
    std::printf("%-14s %d of %d good\n", "Sectors", GoodSectors(image),
                static_cast<int>(image.sectors.size()));
    std::printf("%-14s %s\n", "Disk", ContentText(content));
    std::printf("Good sectors per track, head 0 and head 1 of each cylinder:\n");
    for (int32_t first = 0; first < kCylinders; first += kCylindersPerLine) {
        std::printf("  cylinders %2d-%2d ", first, first + kCylindersPerLine - 1);
        for (int32_t cylinder = first; cylinder < first + kCylindersPerLine; ++cylinder)
            std::printf(" %d%d", GoodSectorsOfTrack(image, cylinder, 0),
                        GoodSectorsOfTrack(image, cylinder, 1));
        std::printf("\n");
    }
    for (const std::string& line : BadSectorLines(image)) std::printf("  %s\n", line.c_str());
}

nlohmann::json JsonDocument(const std::string& path, DiskFileFormat format, const DiskImage& image,
                            DiskContent content) {
    nlohmann::json tracks = nlohmann::json::array();
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
        tracks.push_back({GoodSectorsOfTrack(image, cylinder, 0), GoodSectorsOfTrack(image, cylinder, 1)});
    nlohmann::json bad = nlohmann::json::array();
    for (const SectorReport& sector : image.sectors)
        if (sector.state != SectorState::kGood)
            bad.push_back({{"cylinder", sector.cylinder},
                           {"head", sector.head},
                           {"sector", sector.sector},
                           {"state", SectorStateText(sector.state)}});
    const DiskFileGeometry& geometry = image.geometry;
    return {{"file", path},
            {"format", DiskFileFormatName(format)},
            {"cylinders", geometry.cylinders},
            {"sides", geometry.sides},
            {"revolutions", geometry.revolutions},
            {"bitRate", geometry.bitRate},
            {"rpm", geometry.rpm},
            {"sectors", image.sectors.size()},
            {"goodSectors", GoodSectors(image)},
            {"goodSectorsPerTrack", tracks},
            {"badSectors", bad},
            {"disk", ContentWord(content)}};
}

// The bank listing of a decoded image, as text or JSON: the bank reader reads files, so the image
// goes to a scratch file of its own first. False when no bank is found in it.
bool ListBankOfImage(const std::string& path, const std::vector<uint8_t>& image, bool json, std::string* text,
                     bool* damaged) {
    char scratch[kFileNameBufferSize];
    if (!CreateScratchFile(scratch, kMaxFileNameLength + 1)) return false;
    BankFile file;
    const bool found = WriteOutputFile(scratch, image).code == 0 &&
                       OpenBankFile(kToolTrace, scratch, &file).code == 0 &&
                       file.kind == BankFileKind::kDpxBank;
    if (found) {
        BankListing listing = BuildBankListing(file);
        listing.file = path;
        *text = json ? FormatListingJson(listing) : FormatListingText(listing);
        *damaged = !listing.problems.empty();
    }
    CloseBankFile(kToolTrace, &file);
    DeleteNamedFile(scratch);
    return found;
}

}  // namespace

int DescribeDiskImage(const std::string& path, bool isDpxImage, bool json) {
    DiskFileFormat format = DiskFileFormatOfName(path);
    if (format == DiskFileFormat::kUnknown && !isDpxImage) {
        ReportProblem(path, "neither an Emulator II bank nor a DPX-1 disk image");
        return kExitNothingDone;
    }
    if (format == DiskFileFormat::kUnknown) format = DiskFileFormat::kPlainImage;
    DiskImage image;
    if (!ReadDiskFile(path, true, &image)) return kExitNothingDone;
    const DiskContent content = ClassifyDiskContent(image.bytes);
    int exitCode = GoodSectors(image) == static_cast<int32_t>(image.sectors.size()) ? kExitDone : kExitLosses;
    // A plain image with a bank never comes here: info lists it directly.
    std::string bank;
    bool damaged = false;
    if (format != DiskFileFormat::kPlainImage && content == DiskContent::kConvertedBank &&
        ListBankOfImage(path, image.bytes, json, &bank, &damaged) && damaged)
        exitCode = kExitLosses;
    if (json) {
        nlohmann::json document = JsonDocument(path, format, image, content);
        if (!bank.empty()) document["bank"] = nlohmann::json::parse(bank, nullptr, false);
        std::printf("%s\n", document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    } else {
        PrintText(path, format, image, content);
        if (!bank.empty()) std::printf("\n%s", bank.c_str());
    }
    return exitCode;
}
