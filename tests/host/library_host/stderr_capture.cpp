#include "stderr_capture.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

std::string CaptureStderr(const std::function<void()> &call) {
    std::fflush(stderr);
    std::FILE *file = std::tmpfile();
    if (!file) return "(stderr not captured)";
    const int saved = dup(2);
    dup2(fileno(file), 2);
    call();
    std::cerr.flush();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);

    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}
