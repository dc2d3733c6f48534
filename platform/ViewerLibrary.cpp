#include "ViewerLibrary.h"

#include <QDir>

ViewerLibrary::ViewerLibrary(const QString &baseName_) : name(baseName_) {}

ViewerLibrary::~ViewerLibrary()
{
    unload();
}

ViewerLibrary::LoadResult ViewerLibrary::load(const QString &directory_)
{
    if (isLoaded() && show)
        return LoadResult::Loaded;
    unload();
    // An absolute path keeps the loader from searching the system's folders.
    library.setFileName(QDir(directory_).absoluteFilePath(name));
    if (!library.load()) {
        lastError = library.errorString();
        return LoadResult::LoadFailed;
    }
    show = reinterpret_cast<ShowDialogFunction>(library.resolve(exportName));
    if (!show) {
        lastError = library.errorString();
        return LoadResult::FunctionMissing;
    }
    lastError.clear();
    return LoadResult::Loaded;
}

void ViewerLibrary::unload()
{
    show = nullptr;
    if (library.isLoaded())
        library.unload();
}
