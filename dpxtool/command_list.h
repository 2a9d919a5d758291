// The commands of dpxtool, one line each, in the order --help lists them. Each names the file
// dpxtool/<name>.cpp that defines Add<Name>Command.
DPXTOOL_COMMAND(Info)
DPXTOOL_COMMAND(Convert)
DPXTOOL_COMMAND(Wav)
DPXTOOL_COMMAND(Report)
