#pragma once

#include <QObject>
#include <QString>

class QQmlEngine;

namespace Varnoll {

class CleanerModel;
class Look;
class ResultListModel;
class ReviewListModel;
class ViewState;

/// Everything the QML views reach besides their own files, registered in one place as
/// the module "Varnoll.Model": the model and the presentation objects over it
/// (Cleaner, View, Results, Review, Look, Words; the namespace Varnoll with the Page
/// and Activity enumerations), each page's lists and texts (Filters, Applications,
/// Duplicates, Space, Diagnostics, History, Ignored, SettingsInfo: one per engine,
/// made over its Cleaner on first use and deleted with the engine) and the space
/// page's map item SpaceMap. One context serves one engine; the application makes
/// exactly one.
class WindowContext : public QObject {
    Q_OBJECT

public:
    /// `version` is the application's short version (empty when unknown).
    WindowContext(CleanerModel *model, const QString &version, QObject *parent = nullptr);
    ~WindowContext() override;

    /// Registers the QML types (once per process), gives `engine` the symbol images,
    /// the application icons ("image://appicon/…") and the version for the About
    /// text, and makes this the context its singletons resolve to. Call before
    /// loading any QML.
    void install(QQmlEngine &engine);

    /// The URL of the window's root file.
    [[nodiscard]] static QString mainUrl();

    [[nodiscard]] CleanerModel *model() const { return m_model; }
    [[nodiscard]] ViewState *view() const { return m_view; }
    [[nodiscard]] ResultListModel *results() const { return m_results; }
    [[nodiscard]] ReviewListModel *review() const { return m_review; }

private:
    CleanerModel *m_model;
    ViewState *m_view;
    ResultListModel *m_results;
    ReviewListModel *m_review;
    Look *m_look;
    QString m_version;
};

/// Sets the application-wide font, style, Chinese locale and Qt's own Chinese
/// translations; call once after the application object exists and before any window.
void prepareApplicationLook();

} // namespace Varnoll
