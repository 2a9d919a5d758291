#include "bench/bench_files.h"

#include "bench/conversion_steps.h"
#include "common/trace.h"

namespace {

bool FillBenchFiles(BenchFiles* files) {
    files->bank = BuildFullSizeBank();
    files->eiiPath = files->folder.File("FULLSIZE.EII");
    files->dpxPath = files->folder.File("FULLSIZE.DPX");
    WriteWholeFile(files->eiiPath, files->bank.image);
    files->status = ConvertEIIFileToDPX(kProgramTraceLevel, files->eiiPath.c_str(), files->dpxPath.c_str());
    return true;
}

}  // namespace

const BenchFiles& SharedBenchFiles() {
    // Held to the end of the process; its folder goes with it.
    static BenchFiles files;
    static const bool filled = FillBenchFiles(&files);
    (void)filled;
    return files;
}
