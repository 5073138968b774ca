// reload_web.cpp -- the check of a reload in the browser, which has neither
// fork nor a second process to start: the check runs in this instance on
// the live memory, and the memory is then put back byte for byte, as a
// forked child's copy of it is thrown away. The check draws nothing and
// leaves no file open, so nothing outside the memory remembers it ran.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/author.h"

// The memory as it is now, kept by the page until it is put back.
EM_JS(void, KeepMemory, (), { Module['reloadCheck'] = {memory : HEAPU8.slice()}; });

// Puts the memory back; what the check left is kept outside it.
EM_JS(void, PutMemoryBack, (), {
    HEAPU8.set(Module['reloadCheck'].memory);
    Module['reloadCheck'].memory = null;
});

EM_JS(void, KeepCheckResult, (const char* report, int length, int status), {
    Module['reloadCheck'].report = HEAPU8.slice(report, report + length);
    Module['reloadCheck'].status = status;
});

EM_JS(int, CheckReportLength, (), { return Module['reloadCheck'].report.length; });
EM_JS(int, CheckStatus, (), { return Module['reloadCheck'].status; });
EM_JS(void, TakeCheckReport, (char* into), {
    HEAPU8.set(Module['reloadCheck'].report, into);
    delete Module['reloadCheck'];
});

// Runs the check into a memory stream and hands its result to the page;
// apart so that nothing of it lives in the caller's frame.
static __attribute__((noinline)) void RunCheck(const std::string& text, const std::string& file,
                                               SceneTextCheck check) {
    char* report = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&report, &length);
    int status = out ? check(text, file, out) : -1;
    if (out) std::fclose(out);
    KeepCheckResult(report ? report : "", report ? (int)length : 0, status);
}

int CheckSceneTextInMemoryCopy(const std::string& text, const std::string& file,
                               std::string* report, SceneTextCheck check) {
    KeepMemory();
    RunCheck(text, file, check);
    PutMemoryBack();
    std::string kept((size_t)CheckReportLength(), '\0');
    int status = CheckStatus();
    TakeCheckReport(kept.data());
    report->append(kept);
    return status;
}
#endif
