// The web build's progress, for tools/import/progress.cpp: each stage, and
// the library's reading, told to the module's onImportProgress (set by
// run_import.js), which passes it on to the page. Entry point:
// reportImportProgress().
#include "import.h"

#include <emscripten.h>

EM_JS(void, tellImportProgress, (const char* stage, double done), {
    if (Module['onImportProgress'])
        Module['onImportProgress'](UTF8ToString(stage), done);
});

void reportImportProgress(const char* stage, double done) { tellImportProgress(stage, done); }
