#include "tests/cli/capture_output.h"

#include <cstdlib>

Captured CaptureOutput(const std::function<int(std::FILE*, std::FILE*)>& run) {
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    Captured c;
    if (out && err) c.code = run(out, err);
    if (out) std::fclose(out);
    if (err) std::fclose(err);
    c.out = outText ? outText : "";
    c.err = errText ? errText : "";
    std::free(outText);
    std::free(errText);
    return c;
}
