#pragma once

// Display mode and run options of a benchmark result (items 20-29 and 130-137).

#include <string>

class ProjectFile;

// Several settings are kept as small codes that differ from the numbers on
// file. Codes are held as int so that a wild value stays recognisably wild
// instead of wrapping into a valid one; save() writes no item for a code
// outside its list.
class DisplaySettings {
public:
    // Colour depth and z-buffer codes.
    static constexpr int Depth16 = 0;
    static constexpr int Depth24 = 1;  // z-buffer only: item 24 cannot store it
    static constexpr int Depth32 = 2;
    // Texture format codes.
    static constexpr int Texture16 = 0;
    static constexpr int Texture32 = 1;
    static constexpr int TextureCompressed = 2;
    static constexpr int TextureDxt1Only = 3;
    // Buffering codes.
    static constexpr int DoubleBuffering = 0;
    static constexpr int TripleBuffering = 1;

    DisplaySettings() { reset(); }
    virtual ~DisplaySettings() = default;

    // 1024 x 768, 32-bit colour and z-buffer, compressed textures, double
    // buffering, 60 Hz, no anti-aliasing, empty texts.
    void reset();

    void save(ProjectFile& store) const;
    // False at the first coded item (24-27) that is absent or out of range;
    // what was read before it stays, the rest keeps its previous value.
    bool load(const ProjectFile& store);

    // 16, 24 or 32; 0 for an unknown code.
    int getColorBits() const { return depthBits(colorDepth); }
    int getZBufferBits() const { return depthBits(zBuffer); }

    std::string getPlatform() const { return platform; }
    std::string getRenderingPipeline() const { return pipeline; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getColorDepthCode() const { return colorDepth; }
    int getZBufferCode() const { return zBuffer; }
    int getTextureFormatCode() const { return textureFormat; }
    int getBufferingCode() const { return buffering; }
    // 0: the display's default; 300 and above: no synchronisation.
    int getRefreshRate() const { return refreshRate; }
    // Samples per pixel; 1: none.
    int getFsaaSamples() const { return fsaaSamples; }

    void setPlatform(const std::string& text) { platform = text; }
    void setRenderingPipeline(const std::string& text) { pipeline = text; }
    void setWidth(int value) { width = value; }
    void setHeight(int value) { height = value; }
    void setColorDepthCode(int code) { colorDepth = code; }
    void setZBufferCode(int code) { zBuffer = code; }
    void setTextureFormatCode(int code) { textureFormat = code; }
    void setBufferingCode(int code) { buffering = code; }
    void setRefreshRate(int value) { refreshRate = value; }
    void setFsaaSamples(int value) { fsaaSamples = value; }

private:
    static int depthBits(int code);

    std::string platform;
    std::string pipeline;
    int width = 0;
    int height = 0;
    int colorDepth = 0;
    int zBuffer = 0;
    int textureFormat = 0;
    int buffering = 0;
    int refreshRate = 0;
    int fsaaSamples = 0;
};

class Options {
public:
    static constexpr int DetailLow = 0;
    static constexpr int DetailHigh = 1;

    Options() { reset(); }
    virtual ~Options() = default;

    void reset();

    void save(ProjectFile& store) const;
    // False when item 137 is absent or out of range, after all other options
    // have been read.
    bool load(const ProjectFile& store);

    bool getTitleScreens() const { return titleScreens; }
    bool getContinuousBenchmark() const { return continuousBenchmark; }
    int getRunCount() const { return runCount; }
    bool getDemoSounds() const { return demoSounds; }
    bool getContinuousDemo() const { return continuousDemo; }
    bool getGameSoundEffects() const { return gameSoundEffects; }
    bool getGameMusic() const { return gameMusic; }
    int getDetailLevelCode() const { return detailLevel; }

    void setTitleScreens(bool value) { titleScreens = value; }
    void setContinuousBenchmark(bool value) { continuousBenchmark = value; }
    void setRunCount(int value) { runCount = value; }
    void setDemoSounds(bool value) { demoSounds = value; }
    void setContinuousDemo(bool value) { continuousDemo = value; }
    void setGameSoundEffects(bool value) { gameSoundEffects = value; }
    void setGameMusic(bool value) { gameMusic = value; }
    void setDetailLevelCode(int code) { detailLevel = code; }

private:
    bool titleScreens = false;
    bool continuousBenchmark = false;
    int runCount = 0;
    bool demoSounds = false;
    bool continuousDemo = false;
    bool gameSoundEffects = false;
    bool gameMusic = false;
    int detailLevel = 0;
};
