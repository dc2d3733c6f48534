#pragma once

// The program-wide mode flags, all false at start. Submission: "SUBMIT" or
// "HWUPGRADE"; hardware upgrade: "HWUPGRADE" only; debug: "DEBUG" (a second
// running copy is allowed).
inline bool gSubmitMode = false;
inline bool gHwUpgradeMode = false;
inline bool gDebugMode = false;

