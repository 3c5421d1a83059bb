// Catches what a call writes to the process's standard error (file
// descriptor 2, whatever stream the writer used).
#pragma once

#include <functional>
#include <string>

std::string CaptureStderr(const std::function<void()> &call);
