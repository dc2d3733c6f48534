// Writes the sample result files into the folder named on the command line:
// a few projects of plausible machines (one of the older layout) and a
// database that holds them all.
#include <cstdio>
#include <string>
#include <vector>

#include "imagebuilder.h"
#include "itemrecorder.h"
#include "samplemachine.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"

namespace {

struct Rig {
    const char *file;
    const char *name;
    const char *description;
    sample::SampleRig machine;
    const char *display; // the machine's card
    const char *pipeline; // what the card's transform and lighting allows
    int textureFormat;    // 1 32-bit textures, 2 compressed
    int version;
    int score;
    std::vector<float> results;
};

Bytes blockFor(const Rig &rig)
{
    KV_Rigscan::SystemInfoTree tree(rig.version < 202);
    sample::fillSampleRig(tree, rig.machine);
    return sample::blockOf(tree);
}

Bytes itemsFor(const Rig &rig)
{
    return image::completeItems(rig.name, rig.description, rig.score, rig.version, blockFor(rig), rig.results,
                                [&](Project &m) {
                                    m.getDisplay().setPlatform(rig.display);
                                    m.getDisplay().setRenderingPipeline(rig.pipeline);
                                    m.getDisplay().setTextureFormatCode(rig.textureFormat);
                                    // These cards have 24 bits of depth beside 8 of stencil.
                                    m.getDisplay().setZBufferCode(1);
                                });
}

bool save(const std::string &path, const Bytes &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f)
        ok ? (void)std::fclose(f) : (void)std::fclose(f);
    if (!ok)
        std::perror(path.c_str());
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const char *const pureHardware = "D3D Pure Hardware T&L";
    const std::vector<Rig> rigs = {
        {"athlon-gf3.prp", "Athlon 1400 GeForce3", "Overclocked, fresh drivers", sample::SampleRig::Athlon1400GeForce3,
         "GeForce3", pureHardware, 2, 202, 6120,
         {121.3f, 63.5f, 98.2f, 41.7f, 120.8f, 37.4f, 44.9f, 587.4f, 1334.8f, 21.7f, 5.3f, 88.1f, 72.4f, 143.2f,
          96.7f, 51.2f, 9.8f}},
        {"p3-gf2.prp", "Pentium III 1000 GeForce2", "Stock clocks", sample::SampleRig::PentiumIII1000GeForce2,
         "GeForce2 GTS", pureHardware, 2, 202, 3412,
         {88.4f, 40.2f, 70.5f, 27.3f, 80.1f, 22.9f, -2.0f, 533.7f, 902.4f, 14.2f, 3.7f, -2.0f, 47.8f, -2.0f, -2.0f,
          -2.0f, 6.1f}},
        {"p4-gf3ti.prp", "Pentium 4 2000 GeForce3 Ti", "", sample::SampleRig::Pentium4_2000GeForce3Ti,
         "GeForce3 Ti 500", pureHardware, 2, 202, 7345,
         {150.2f, 79.8f, 118.6f, 52.4f, 140.1f, 46.9f, 55.0f, 682.9f, 1598.3f, 27.9f, 6.8f, 101.4f, 86.2f, 171.5f,
          118.0f, 64.3f, 12.2f}},
        {"old-layout.prp", "Celeron 800 (older benchmark)", "Saved by an earlier benchmark version",
         sample::SampleRig::Celeron800RivaTnt2, "RIVA TNT2", "D3D Software T&L", 1, 201, 1450,
         {44.1f, 17.9f, 30.2f, 11.5f, 35.0f, 9.2f, -2.0f, 201.6f, 236.8f, 2.3f, 0.9f, -2.0f, -2.0f, -2.0f, -2.0f,
          -2.0f, -1.0f}},
    };
    CPolyraDatabase database;
    database.rename("Sample Machines", nullptr);
    for (const Rig &rig : rigs) {
        const Bytes image = image::build(itemsFor(rig));
        if (!save(dir + "/" + rig.file, image))
            return 1;
        auto *project = new CPolyraProject;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[image.size()]);
        std::copy(image.begin(), image.end(), buffer.get());
        if (!parseProjectImage(*project, std::move(buffer), image.size()) || database.addProject(project) != 0) {
            std::fprintf(stderr, "%s does not read back\n", rig.file);
            return 1;
        }
    }
    database.getProject(1)->setHidden(true);
    if (!database.saveToFile(dir + "/sample-machines.prb"))
        return 1;
    return 0;
}
