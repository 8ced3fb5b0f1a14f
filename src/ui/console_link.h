#pragma once

#include <QObject>
#include <QThread>

#include <cstdint>

#include "platform/port_map.h"
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
    // dialogParent: the window over which the services' questions appear.
    ConsoleLink(platform::PortMap ports, QWidget* dialogParent, std::uint32_t pollSpeedUp = 1);
    // Only a link that was never closed waits here, for its hand-back.
    ~ConsoleLink() override;

    void click(console::ControlId id);
    void selectCom(int index);
    void movePeriod(int position);
    void runService(LinkWorker::Service service);
    // Asks the link thread to hand back and close; closed() follows.
    void close();
    bool isClosed() const { return finished; }

signals:
    void reported(const ecuprobe::ui::LinkReport& report);
    void clickAnswered(const ecuprobe::ui::ClickAnswer& answer);
    void closed(const QString& warning);

private:
    void workerClosed(const QString& warning);
    template <typename Work>
    void post(Work work);

    PromptPresenter presenter;
    QThread thread;
    LinkWorker* worker;
    bool finished = false;
};

}  // namespace ecuprobe::ui
