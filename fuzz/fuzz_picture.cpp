#include "picture_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzbody::readPicture(data, size);
    return 0;
}
