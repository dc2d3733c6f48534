#include "uDisplaySettings.h"

#include "uDataVector.h"
#include "uItemMap.h"

void DisplaySettings::reset()
{
    platform.clear();
    pipeline.clear();
    width = 1024;
    height = 768;
    colorDepth = Depth32;
    zBuffer = Depth32;
    textureFormat = TextureCompressed;
    buffering = DoubleBuffering;
    refreshRate = 60;
    fsaaSamples = 1;
}

int DisplaySettings::depthBits(int code)
{
    switch (code) {
    case Depth16: return 16;
    case Depth24: return 24;
    case Depth32: return 32;
    default: return 0;
    }
}

void DisplaySettings::save(ProjectFile& store) const
{
    using namespace ItemId;
    store.setString(Platform, platform);
    store.setString(RenderingPipeline, pipeline);
    store.setInt(Width, width);
    store.setInt(Height, height);
    // The file knows only 16 and 32 bits of colour, as 0 and 1.
    if (colorDepth == Depth16)
        store.setInt(ColorDepth, 0);
    else if (colorDepth == Depth32)
        store.setInt(ColorDepth, 1);
    if (zBuffer >= 0 && zBuffer <= 2)
        store.setInt(ZBuffer, zBuffer);
    if (textureFormat >= 0 && textureFormat <= 3)
        store.setInt(TextureFormat, textureFormat);
    if (buffering == 0 || buffering == 1)
        store.setInt(Buffering, buffering);
    store.setInt(RefreshRate, refreshRate);
    store.setInt(FsaaSamples, fsaaSamples);
}

bool DisplaySettings::load(const ProjectFile& store)
{
    using namespace ItemId;
    platform = store.getString(Platform);
    pipeline = store.getString(RenderingPipeline);
    width = store.getInt(Width);
    height = store.getInt(Height);

    int v = store.getInt(ColorDepth);
    if (v == 0)
        colorDepth = Depth16;
    else if (v == 1)
        colorDepth = Depth32;
    else
        return false;

    v = store.getInt(ZBuffer);
    if (v < 0 || v > 2)
        return false;
    zBuffer = v;

    v = store.getInt(TextureFormat);
    if (v < 0 || v > 3)
        return false;
    textureFormat = v;

    v = store.getInt(Buffering);
    if (v != 0 && v != 1)
        return false;
    buffering = v;

    refreshRate = store.getInt(RefreshRate);
    fsaaSamples = store.getInt(FsaaSamples);
    return true;
}

void Options::reset()
{
    titleScreens = true;
    continuousBenchmark = false;
    runCount = 1;
    demoSounds = true;
    continuousDemo = false;
    gameSoundEffects = true;
    gameMusic = true;
    detailLevel = DetailLow;
}

void Options::save(ProjectFile& store) const
{
    using namespace ItemId;
    store.setBool(TitleScreens, titleScreens);
    store.setBool(ContinuousBenchmark, continuousBenchmark);
    store.setInt(RunCount, runCount);
    store.setBool(DemoSounds, demoSounds);
    store.setBool(ContinuousDemo, continuousDemo);
    store.setBool(GameSoundEffects, gameSoundEffects);
    store.setBool(GameMusic, gameMusic);
    if (detailLevel == DetailLow || detailLevel == DetailHigh)
        store.setInt(DetailLevel, detailLevel);
}

bool Options::load(const ProjectFile& store)
{
    using namespace ItemId;
    titleScreens = store.getBool(TitleScreens);
    continuousBenchmark = store.getBool(ContinuousBenchmark);
    runCount = store.getInt(RunCount);
    demoSounds = store.getBool(DemoSounds);
    continuousDemo = store.getBool(ContinuousDemo);
    gameSoundEffects = store.getBool(GameSoundEffects);
    gameMusic = store.getBool(GameMusic);

    const int v = store.getInt(DetailLevel);
    if (v != DetailLow && v != DetailHigh)
        return false;
    detailLevel = v;
    return true;
}
