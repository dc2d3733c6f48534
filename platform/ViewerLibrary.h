#ifndef PLATFORM_VIEWERLIBRARY_H
#define PLATFORM_VIEWERLIBRARY_H

#include <QLibrary>
#include <QString>

// One run-time library that shows a system-information block in a dialog,
// found by its base name in a folder; the platform's prefix and suffix are
// added by the loader ("libName.so", "Name.dll").
class ViewerLibrary {
public:
    // The library's one export, with the C calling convention.
    using ShowDialogFunction = void (*)(const void *data_, unsigned size_);

    static constexpr const char *exportName = "RigscanGUI_ShowDialog";

    enum class LoadResult { Loaded, LoadFailed, FunctionMissing };

    explicit ViewerLibrary(const QString &baseName_);
    ~ViewerLibrary();
    ViewerLibrary(const ViewerLibrary &) = delete;
    ViewerLibrary &operator=(const ViewerLibrary &) = delete;

    // Loads the library from directory_ and looks up the export. On
    // FunctionMissing the library stays loaded; the caller decides.
    LoadResult load(const QString &directory_);
    // The loader's text for the last failure.
    QString errorString() const { return lastError; }
    // Releases the library; nothing when it is not loaded.
    void unload();

    bool isLoaded() const { return library.isLoaded(); }
    ShowDialogFunction function() const { return show; }
    const QString &baseName() const { return name; }

private:
    QString name;
    QLibrary library;
    ShowDialogFunction show = nullptr;
    QString lastError;
};

#endif
