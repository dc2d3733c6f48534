#pragma once

// Item ids of a result file that the model parts name. The items of the
// benchmark tests are listed with their tests in testcatalogue.h.

namespace ItemId {

// Project
inline constexpr unsigned Name = 0;
inline constexpr unsigned Description = 1;
inline constexpr unsigned Score = 4;
inline constexpr unsigned Version = 5;
inline constexpr unsigned SystemInfo = 6;
inline constexpr unsigned Flag7 = 7;
inline constexpr unsigned Flag8 = 8;
inline constexpr unsigned Flag9 = 9;    // only from version 202
inline constexpr unsigned Flag10 = 10;  // only from version 202

// Display settings
inline constexpr unsigned Platform = 20;
inline constexpr unsigned RenderingPipeline = 21;
inline constexpr unsigned Width = 22;
inline constexpr unsigned Height = 23;
inline constexpr unsigned ColorDepth = 24;
inline constexpr unsigned ZBuffer = 25;
inline constexpr unsigned TextureFormat = 26;
inline constexpr unsigned Buffering = 27;
inline constexpr unsigned RefreshRate = 28;
inline constexpr unsigned FsaaSamples = 29;

// Batch-run settings
inline constexpr unsigned BatchText40 = 40;
inline constexpr unsigned BatchFlag41 = 41;
inline constexpr unsigned BatchText42 = 42;
inline constexpr unsigned BatchCode43 = 43;
inline constexpr unsigned BatchCode44 = 44;
inline constexpr unsigned BatchFlag45 = 45;
inline constexpr unsigned BatchText46 = 46;
inline constexpr unsigned BatchFlag47 = 47;
inline constexpr unsigned BatchListA = 62;       // 62-67
inline constexpr unsigned BatchListC = 68;       // 68-73
inline constexpr unsigned BatchListD = 74;       // 74, 75
inline constexpr unsigned BatchListE = 77;       // 77, 78
inline constexpr unsigned BatchAlwaysFalse = 80; // 80-82, written false, never read
inline constexpr unsigned BatchListF = 83;       // 83-85
inline constexpr unsigned BatchListBMask = 86;

// Options
inline constexpr unsigned TitleScreens = 130;
inline constexpr unsigned ContinuousBenchmark = 131;
inline constexpr unsigned RunCount = 132;
inline constexpr unsigned DemoSounds = 133;
inline constexpr unsigned ContinuousDemo = 134;
inline constexpr unsigned GameSoundEffects = 135;
inline constexpr unsigned GameMusic = 136;
inline constexpr unsigned DetailLevel = 137;

// Picture names of the image-quality tests 18-21: base + (test - 18).
inline constexpr unsigned SmallPicture = 240;
inline constexpr unsigned FullPicture = 244;

} // namespace ItemId
