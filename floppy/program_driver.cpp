#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/safe_output.h"
#include "floppy/platform_driver.h"
#include "floppy/tool_console.h"
#include "flux/controller.h"
#include "platform/files.h"

namespace {

constexpr const char* kDriveVariables[] = {"DPX_DRIVE_A", "DPX_DRIVE_B"};
constexpr const char* kRpmVariable = "DPX_DRIVE_RPM";
// No HFE image of a floppy disk comes near this size.
constexpr uint32_t kLargestImageFile = 64u << 20;

// A drive that cannot be used: the version query fails, so that the program stops with the reason
// before the drive is touched.
class RefusedEmulatedDriver : public EmulatedFloppyDriver {
  public:
    explicit RefusedEmulatedDriver(const FloppyDriverTexts& texts)
        : EmulatedFloppyDriver(texts, BlankEmulatedDisk()) {}
    DriverResult QueryVersion(uint32_t*) override { return DriverFailure(0); }
};

// The program's emulated drive, when it has one.
struct ProgramDrive {
    std::unique_ptr<EmulatedFloppyDriver> driver;
    std::string path;  // the disk's image file
    std::string problem;
    FloppyDriverTexts texts{};
    bool usable = false;
};

ProgramDrive& TheProgramDrive() {
    static ProgramDrive drive;
    return drive;
}

std::string Formatted(const char* format, const char* first, const char* second) {
    char text[kStatusMessageSize];
    std::snprintf(text, sizeof text, format, first, second);
    return text;
}

// The speed DPX_DRIVE_RPM asks for; false with *problem set for anything but a number of rpm a
// drive can turn at.
bool DriveSpeed(double* rpm, std::string* problem) {
    const char* text = std::getenv(kRpmVariable);
    *rpm = kNominalRpm;
    if (text == nullptr || *text == '\0') return true;
    char* end = nullptr;
    const double asked = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(asked) || asked < kSlowestRpm || asked > kFastestRpm) {
        *problem =
            Formatted("%s is \"%s\": the emulated drive turns at 150 to 600 rpm, for example 300 or 304.5.",
                      kRpmVariable, text);
        return false;
    }
    *rpm = asked;
    return true;
}

// Loads the disk from its image file; a file that does not exist is a blank disk.
bool LoadDisk(const char* drive, const std::string& path, EmulatedDisk* disk, std::string* problem) {
    const std::string which = std::string("The emulated drive ") + drive + " can not use file ";
    PathKind kind = PathKind::kMissing;
    FileIdentity identity;
    if (!QueryPathKind(path.c_str(), &kind, &identity)) {
        *problem =
            which + path + ": it can not be examined, error " + std::to_string(LastSystemError()) + ".";
        return false;
    }
    if (kind == PathKind::kMissing) {
        *disk = BlankEmulatedDisk();
        return true;
    }
    if (kind != PathKind::kRegularFile) {
        *problem = which + path + ": it is not a regular file.";
        return false;
    }
    FileHandle file;
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t error = 0;
    std::vector<uint8_t> bytes;
    bool read = OpenForReadingUnshared(path.c_str(), &file);
    if (read) {
        read = QueryFileSize(file, &low, &high) && high == 0 && low <= kLargestImageFile;
        if (read) {
            bytes.resize(low);
            read = ReadExactly(file, bytes.data(), low, &error);
        }
        CloseFile(file);
    }
    if (!read) {
        *problem = which + path + ": it can not be read, error " + std::to_string(LastSystemError()) + ".";
        return false;
    }
    const FileCheck check = LoadEmulatedDisk(bytes.data(), bytes.size(), disk);
    if (!check.ok()) {
        *problem = which + path + ": " + check.error + ".";
        return false;
    }
    return true;
}

}  // namespace

FloppyDriver& ProgramFloppyDriver(int argc, const char* const* argv) {
    if (argc < 2 || !IsDriveArgument(argv[1])) return PlatformFloppyDriver();
    const char letter = argv[1][0];
    const int32_t number = letter == 'a' || letter == 'A' ? 0 : 1;
    const char* path = std::getenv(kDriveVariables[number]);
    if (path == nullptr || *path == '\0') return PlatformFloppyDriver();

    ProgramDrive& drive = TheProgramDrive();
    drive.path = path;
    double rpm = kNominalRpm;
    EmulatedDisk disk;
    drive.usable = DriveSpeed(&rpm, &drive.problem) && LoadDisk(argv[1], drive.path, &disk, &drive.problem);
    drive.texts.deviceNameFormat = "emulated drive %d";
    drive.texts.notInstalled = drive.problem.c_str();
    drive.texts.tooOld = drive.problem.c_str();
    drive.texts.commandsRefused = drive.problem.c_str();
    if (drive.usable)
        drive.driver = std::make_unique<EmulatedFloppyDriver>(drive.texts, disk, rpm);
    else
        drive.driver = std::make_unique<RefusedEmulatedDriver>(drive.texts);
    return *drive.driver;
}

void EndProgramFloppyDriver() {
    ProgramDrive& drive = TheProgramDrive();
    if (!drive.usable || !drive.driver->Disk().changed) return;
    std::vector<uint8_t> bytes;
    const FileCheck check = SaveEmulatedDisk(drive.driver->Disk(), &bytes);
    const OutputOutcome outcome =
        check.ok() ? WriteFileSafely(drive.path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()),
                                     ExistingName::kReplace)
                   : OutputOutcome{false, OutputStep::kWrite, 0, false};
    if (!outcome.ok)
        std::printf("The emulated disk can not be saved to file %s. Error is %u.\n", drive.path.c_str(),
                    outcome.systemError);
}
