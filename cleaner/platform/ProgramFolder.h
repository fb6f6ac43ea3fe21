#pragma once
#include <string>

// The folder of the running executable, without a trailing backslash. Everything the cleaner keeps
// beside itself (plug-in folders, config.cfg, CustomTargets.tgs, banner.qbf) is found from here by
// default; tests pass a folder of their own instead. Empty when the program's path has no form the
// ANSI calls can use (too long even as a short name, or characters without an ANSI form): the
// program then refuses to start rather than resolve its files against the current drive's root.
std::string ExecutableFolder();

// The full path of the running executable, as ExecutableFolder describes; empty when unusable.
std::string ExecutablePath();

// The rule behind both: a program's full path as the ANSI calls can use it for the program and
// the files beside it (the path itself, else its short form); empty when neither fits.
std::string AnsiProgramPath(const std::wstring& path);
