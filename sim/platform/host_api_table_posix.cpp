// The table the plug-in's host functions forward through where they are
// plain C exports (host/exports_posix.cpp): the POSIX simulator, and the
// settings page's module, which uses the same exports.

#include <cstdio>
#include <cstdlib>

#include "platform/plugin_loader.h"

namespace sim::platform {

namespace {

const HostApi* installedApi = nullptr;

}  // namespace

void installHostApi(const HostApi* api)
{
    installedApi = api;
}

const HostApi& installedHostApi()
{
    if (!installedApi) {
        std::fputs("ambleworks-sim: the plug-in called its host before the host was set up\n", stderr);
        std::abort();
    }
    return *installedApi;
}

}  // namespace sim::platform
