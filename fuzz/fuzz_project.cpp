#include "project_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzbody::readProject(data, size);
    return 0;
}
