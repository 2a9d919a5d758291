#include "inspect/output_file.h"

#include "common/safe_output.h"

StatusRecord WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes,
                             const char* inputPath) {
    uint32_t error = 0;
    const OutputNameCheck check = CheckOutputName(path.c_str(), inputPath, &error);
    if (check == OutputNameCheck::kSameAsInput)
        return MakeStatus(kOutputFileCode, 'E',
                          "Problem writing file %s: it is the input file and has been left as it is.",
                          path.c_str());
    if (check == OutputNameCheck::kNotRegular)
        return MakeStatus(kOutputFileCode, 'E',
                          "Problem writing file %s: it is not a regular file and has been left as it is.",
                          path.c_str());
    if (check == OutputNameCheck::kUnknown)
        return MakeStatus(kOutputFileCode, 'E', "Problem writing file %s: it cannot be examined (error %u).",
                          path.c_str(), error);
    const OutputOutcome outcome = WriteFileSafely(
        path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), ExistingName::kReplace);
    if (!outcome.ok)
        return MakeStatus(kOutputFileCode, 'E', "Problem writing file %s: %s failed (error %u).",
                          path.c_str(), OutputStepWord(outcome.failedStep), outcome.systemError);
    return InitStatusRecord();
}
