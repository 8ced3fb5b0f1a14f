#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <string>

#include "ui/link_report.h"
#include "ui/link_worker.h"
#include "ui/prompt_presenter.h"

class QWidget;

namespace ecuprobe::ui {

// The GUI thread's side of one console's link thread: starts the thread with
// its LinkWorker, posts the window's clicks to it and passes its reports on.
// Nothing here waits for the ECU; the thread ends after the worker has closed.
class ConsoleLink final : public QObject {
    Q_OBJECT

public:
    // Called on the GUI thread once a service has run (true) or was refused (false).
    using ServiceDone = std::function<void(bool ran)>;

    // dialogParent: the window over which the services' questions appear.
    ConsoleLink(LinkThreadConfig setup, QWidget* dialogParent);
    // Only a link that was never closed waits here, for its hand-back.
    ~ConsoleLink() override;

    void click(console::ControlId id);
    void selectCom(int index);
    void movePeriod(int position);
    // done is not called once the link has closed.
    void runService(LinkWorker::Service service, ServiceDone done = {});
    void mapPort(int slot, const std::string& path);
    void setNoEcho(bool on);
    void startDriveLog();
    void stopDriveLog();
    // Asks the link thread to hand back and close; closed() follows.
    void close();
    bool isClosed() const { return finished; }

signals:
    void reported(const ecuprobe::ui::LinkReport& report);
    void clickAnswered(const ecuprobe::ui::ClickAnswer& answer);
    void driveLogEnded(const QString& path, const QString& problem, quint64 rows);
    void closed(const QString& warning, const QString& note);

private:
    void workerClosed(const QString& warning, const QString& note);
    template <typename Work>
    void post(Work work);

    PromptPresenter presenter;
    QThread thread;
    LinkWorker* worker;
    bool finished = false;
};

}  // namespace ecuprobe::ui
