#include "platform/DesktopApps.h"

#include "platform/FileName.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GFreeText {
    void operator()(gchar *text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFreeText>;

QString DefaultAppForType(const char *contentType) {
    const GPtr<GAppInfo> app(g_app_info_get_default_for_type(contentType, FALSE));
    if (!app)
        return {};
    return QString::fromUtf8(g_app_info_get_id(app.get()));
}

bool Installed(const QString &desktopId) {
    return GPtr<GDesktopAppInfo>(g_desktop_app_info_new(desktopId.toUtf8().constData())) != nullptr;
}

bool StartWithGio(const QString &desktopId, const QStringList &files, bool) {
    const GPtr<GDesktopAppInfo> app(g_desktop_app_info_new(desktopId.toUtf8().constData()));
    if (!app)
        return false;
    GList *list = nullptr;
    for (const QString &file : files)
        list = g_list_append(list, g_file_new_for_path(EncodeFileName(file).constData()));
    GError *error = nullptr;
    const gboolean started = g_app_info_launch(G_APP_INFO(app.get()), list, nullptr, &error);
    g_list_free_full(list, g_object_unref);
    if (error)
        g_error_free(error);
    return started;
}

DesktopLauncher &Launcher() {
    static DesktopLauncher launcher = StartWithGio;
    return launcher;
}

} // namespace

QString DefaultAppForExtension(const QString &extension) {
    if (extension.isEmpty())
        return {};
    gboolean uncertain = FALSE;
    const QByteArray name = "x." + extension.toUtf8();
    const GText type(g_content_type_guess(name.constData(), nullptr, 0, &uncertain));
    // A name alone that says nothing gives the type of any file whatever,
    // which is no type of this extension.
    if (!type || uncertain)
        return {};
    return DefaultAppForType(type.get());
}

QString FileManagerApp() {
    return DefaultAppForType("inode/directory");
}

QString PlainTextEditorApp() {
    static const char *const kEditors[] = {
        "org.gnome.TextEditor.desktop",
        "org.gnome.gedit.desktop",
        "org.kde.kate.desktop",
        "org.kde.kwrite.desktop",
        "mousepad.desktop",
        "org.xfce.mousepad.desktop",
        "pluma.desktop",
        "xed.desktop",
    };
    for (const char *editor : kEditors) {
        if (Installed(QString::fromLatin1(editor)))
            return QString::fromLatin1(editor);
    }
    return QString::fromLatin1(kEditors[0]);
}

DesktopLauncher SetDesktopLauncher(DesktopLauncher launcher) {
    DesktopLauncher previous = std::move(Launcher());
    Launcher() = launcher ? std::move(launcher) : DesktopLauncher(StartWithGio);
    return previous;
}

bool LaunchDesktopApp(const QString &desktopId, const QStringList &files, bool deactivate) {
    return Launcher()(desktopId, files, deactivate);
}
