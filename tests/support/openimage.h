#pragma once

// A project opened from the bytes of an image, as the readers of result
// files open one.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "item_bytes.h"
#include "uPolyraProject.h"

// A new project parsed from the image (a file's or a record's); a failure of
// the running test when it does not open.
inline CPolyraProject *projectOfImage(const Bytes &bytes)
{
    auto *p = new CPolyraProject;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    EXPECT_TRUE(parseProjectImage(*p, std::move(buffer), bytes.size()));
    return p;
}
