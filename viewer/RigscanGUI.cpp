// The library's one export.
#include <QApplication>
#include <QMessageBox>
#include <QWindow>
#include <cstdio>
#include <exception>
#include <string>

#include "Cp1252.h"
#include "RigscanGUIApp.h"
#include "RigscanGUI_Dialog.h"
#include "components.h"
#include "kvs_exception.h"

namespace {

void showError(const std::string &text_)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), fromCp1252(text_), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void show(const void *data_, unsigned size_)
{
    KV_Rigscan::SystemInfoTree tree;
    tree.read(data_, size_);

    RigscanGUI_Dialog dialog;
    dialog << static_cast<const KV_Rigscan::BaseContainer &>(tree.root);
    dialog.initDialog();
    if (QWidget *host = QApplication::activeWindow()) {
        dialog.createWinId();
        if (dialog.windowHandle() && host->window()->windowHandle())
            dialog.windowHandle()->setTransientParent(host->window()->windowHandle());
    }
    dialog.exec();
}

} // namespace

extern "C" __attribute__((visibility("default"))) void RigscanGUI_ShowDialog(const void *data, unsigned size)
{
    // Nothing may leave for the host, whatever its language.
    try {
        std::string why;
        if (!RigscanGUIApp::ensure(why)) {
            std::fprintf(stderr, "RigscanGUI_ShowDialog: %s\n", why.c_str());
            return;
        }
        std::string error;
        try {
            show(data, size);
            return;
        } catch (const KVS_exceptionBase &e) {
            error = std::string(e.getMessage()) + "\n\n" + e.getContext() + "::" + e.getFunction();
        } catch (const std::exception &e) {
            error = e.what();
        } catch (...) {
            error = "Unknown error";
        }
        showError(error);
    } catch (...) {
        std::fprintf(stderr, "RigscanGUI_ShowDialog: the error could not be shown\n");
    }
}
