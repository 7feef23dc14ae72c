// The "quill eval [FEN]" command-line mode: prints the static evaluation of
// positions without starting the engine's threads or its log.
#pragma once

// argv[1] is "eval"; argv[2], when present, is the FEN (its fields may also
// come as separate arguments). Without one, reads one FEN per line from
// standard input until its end. Returns the process exit code.
int EvalCommand(int argc, char** argv);
