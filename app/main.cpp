#include "selftests/SelfTests.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Arguments are compared whole and case-sensitively, the program path included.
bool hasArgument(int argc, char** argv, std::string_view wanted) {
    for (int i = 0; i < argc; ++i)
        if (argv[i] == wanted) return true;
    return false;
}

int notBuiltYet(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    // The camera suite is tested first: with both switches only it runs.
    if (hasArgument(argc, argv, "--camera-pipeline-test"))
        return notBuiltYet("岚帧 Tavero：相机自检（--camera-pipeline-test）尚未构建。");
    if (hasArgument(argc, argv, "--self-test")) tavero::selftests::runSelfTests(argc, argv);
    return notBuiltYet("岚帧 Tavero：应用窗口尚未构建，目前只能运行 --self-test。");
}
