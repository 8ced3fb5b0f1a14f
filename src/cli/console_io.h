#pragma once

#include <string>
#include <vector>

namespace ecuprobe::cli {

enum class StandardStream { input, output, error };

// Readies the terminal for the tester's texts. On Windows the console takes
// UTF-8 (the Russian texts) and, where it can, the escape sequences with which
// the monitor redraws; on POSIX the terminal already does, and stdout and stderr
// are made to give way to a stop while a terminal or a pipe holds them back.
void prepareConsole();

// A person's terminal: the console on Windows. For output, also one that
// understands the escape sequences of the monitor's redraw and the progress line.
bool isTerminal(StandardStream stream);

// The arguments after the program's name, in UTF-8. On Windows they are taken
// from the wide command line, as the narrow one would lose a Cyrillic path to
// the system's ANSI code page.
std::vector<std::string> commandArguments(int argc, char** argv);

}  // namespace ecuprobe::cli
