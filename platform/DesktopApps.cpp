// SPDX-License-Identifier: MIT
#include "platform/DesktopApps.h"

#include "platform/FileName.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <dlfcn.h>
#include <memory>

namespace {

// GIO and the six libraries it brings (GObject, GModule, libmount, ...) cost
// every start a megabyte and some milliseconds, for something Tavo does
// rarely, if ever, in a session: they are loaded the first time they are
// needed. Null when GIO cannot be loaded; then no application is known.
struct Gio {
    decltype(&g_app_info_get_default_for_type) appInfoGetDefaultForType;
    decltype(&g_app_info_get_id) appInfoGetId;
    decltype(&g_app_info_launch) appInfoLaunch;
    decltype(&g_desktop_app_info_new) desktopAppInfoNew;
    decltype(&g_content_type_guess) contentTypeGuess;
    decltype(&g_file_new_for_path) fileNewForPath;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_list_append) listAppend;
    decltype(&g_list_free_full) listFreeFull;
    decltype(&g_error_free) errorFree;
    decltype(&g_free) free;
    decltype(&g_app_info_get_all) appInfoGetAll;
    decltype(&g_app_info_should_show) appInfoShouldShow;
    decltype(&g_app_info_get_name) appInfoGetName;
    decltype(&g_desktop_app_info_get_filename) desktopAppInfoGetFilename;
    decltype(&g_desktop_app_info_get_string) desktopAppInfoGetString;
};

const Gio *LoadGio() {
    static const std::unique_ptr<Gio> gio = []() -> std::unique_ptr<Gio> {
        void *library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        bool complete = true;
        const auto symbol = [&](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(library, name));
            complete = complete && function;
        };
        auto loaded = std::make_unique<Gio>();
        symbol(loaded->appInfoGetDefaultForType, "g_app_info_get_default_for_type");
        symbol(loaded->appInfoGetId, "g_app_info_get_id");
        symbol(loaded->appInfoLaunch, "g_app_info_launch");
        symbol(loaded->desktopAppInfoNew, "g_desktop_app_info_new");
        symbol(loaded->contentTypeGuess, "g_content_type_guess");
        symbol(loaded->fileNewForPath, "g_file_new_for_path");
        symbol(loaded->objectUnref, "g_object_unref");
        symbol(loaded->listAppend, "g_list_append");
        symbol(loaded->listFreeFull, "g_list_free_full");
        symbol(loaded->errorFree, "g_error_free");
        symbol(loaded->free, "g_free");
        symbol(loaded->appInfoGetAll, "g_app_info_get_all");
        symbol(loaded->appInfoShouldShow, "g_app_info_should_show");
        symbol(loaded->appInfoGetName, "g_app_info_get_name");
        symbol(loaded->desktopAppInfoGetFilename, "g_desktop_app_info_get_filename");
        symbol(loaded->desktopAppInfoGetString, "g_desktop_app_info_get_string");
        return complete ? std::move(loaded) : nullptr;
    }();
    return gio.get();
}

// A GObject reference, given back when it goes.
template <typename T> class GRef {
public:
    GRef(const Gio *gio, T *object) : mGio(gio), mObject(object) {}
    ~GRef() {
        if (mObject)
            mGio->objectUnref(mObject);
    }
    GRef(const GRef &) = delete;
    GRef &operator=(const GRef &) = delete;
    T *get() const { return mObject; }
    explicit operator bool() const { return mObject != nullptr; }

private:
    const Gio *mGio;
    T *mObject;
};

QString DefaultAppForType(const char *contentType) {
    const Gio *gio = LoadGio();
    if (!gio)
        return {};
    const GRef<GAppInfo> app(gio, gio->appInfoGetDefaultForType(contentType, FALSE));
    if (!app)
        return {};
    return QString::fromUtf8(gio->appInfoGetId(app.get()));
}

bool Installed(const Gio *gio, const QString &desktopId) {
    return bool(GRef<GDesktopAppInfo>(gio, gio->desktopAppInfoNew(desktopId.toUtf8().constData())));
}

bool StartWithGio(const QString &desktopId, const QStringList &files, bool) {
    const Gio *gio = LoadGio();
    if (!gio)
        return false;
    const GRef<GDesktopAppInfo> app(gio, gio->desktopAppInfoNew(desktopId.toUtf8().constData()));
    if (!app)
        return false;
    GList *list = nullptr;
    for (const QString &file : files)
        list = gio->listAppend(list, gio->fileNewForPath(EncodeFileName(file).constData()));
    GError *error = nullptr;
    const gboolean started =
        gio->appInfoLaunch(reinterpret_cast<GAppInfo *>(app.get()), list, nullptr, &error);
    gio->listFreeFull(list, gio->objectUnref);
    if (error)
        gio->errorFree(error);
    return started;
}

DesktopLauncher &Launcher() {
    static DesktopLauncher launcher = StartWithGio;
    return launcher;
}

} // namespace

QString DefaultAppForExtension(const QString &extension) {
    const Gio *gio = LoadGio();
    if (extension.isEmpty() || !gio)
        return {};
    gboolean uncertain = FALSE;
    const QByteArray name = "x." + extension.toUtf8();
    gchar *type = gio->contentTypeGuess(name.constData(), nullptr, 0, &uncertain);
    // A name alone that says nothing gives the type of any file whatever,
    // which is no type of this extension.
    QString app;
    if (type && !uncertain)
        app = DefaultAppForType(type);
    gio->free(type);
    return app;
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
    if (const Gio *gio = LoadGio()) {
        for (const char *editor : kEditors) {
            if (Installed(gio, QString::fromLatin1(editor)))
                return QString::fromLatin1(editor);
        }
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

QList<DesktopApplication> DesktopApplications() {
    const Gio *gio = LoadGio();
    if (!gio)
        return {};
    QList<DesktopApplication> applications;
    GList *all = gio->appInfoGetAll();
    for (GList *item = all; item; item = item->next) {
        auto *app = static_cast<GAppInfo *>(item->data);
        auto *desktop = reinterpret_cast<GDesktopAppInfo *>(app);
        const char *file = gio->desktopAppInfoGetFilename(desktop);
        if (!file || !gio->appInfoShouldShow(app))
            continue;
        gchar *icon = gio->desktopAppInfoGetString(desktop, "Icon");
        applications.append({QString::fromUtf8(gio->appInfoGetName(app)), DecodeFileName(file),
                             QString::fromUtf8(icon)});
        gio->free(icon);
    }
    gio->listFreeFull(all, gio->objectUnref);
    return applications;
}
