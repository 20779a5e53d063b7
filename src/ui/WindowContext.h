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

/// Everything the QML views reach besides their own files: the model and the
/// presentation objects over it, published as singletons of the module
/// "Varnoll.Model" (Cleaner, View, Results, Review, Look, Words and the namespace Varnoll with the Page
/// enumeration).
/// One context serves one engine; the application makes exactly one.
class WindowContext : public QObject {
    Q_OBJECT

public:
    /// `version` is the application's short version (empty when unknown).
    WindowContext(CleanerModel *model, const QString &version, QObject *parent = nullptr);
    ~WindowContext() override;

    /// Registers the singletons (once per process), the symbol images and the
    /// Controls style on `engine`, and makes this the context its singletons
    /// resolve to. Call before loading any QML.
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
