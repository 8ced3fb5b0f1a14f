#include "ui/console_link.h"

namespace ecuprobe::ui {

ConsoleLink::ConsoleLink(LinkThreadConfig setup, QWidget* dialogParent)
    : presenter(dialogParent), worker(new LinkWorker(std::move(setup), presenter)) {
    thread.setObjectName(QStringLiteral("link"));
    worker->moveToThread(&thread);
    connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &LinkWorker::reported, this, &ConsoleLink::reported);
    connect(worker, &LinkWorker::clickAnswered, this, &ConsoleLink::clickAnswered);
    connect(worker, &LinkWorker::driveLogEnded, this, &ConsoleLink::driveLogEnded);
    connect(worker, &LinkWorker::closed, this, &ConsoleLink::workerClosed);
    thread.start();
    post([](LinkWorker& link) { link.open(); });
}

ConsoleLink::~ConsoleLink() {
    if (!finished) {
        // The worker may still report while it hands back; nobody listens here any more.
        disconnect(worker, nullptr, this, nullptr);
        worker->requestClose();
        QMetaObject::invokeMethod(
            worker, [link = worker] { link->close(); }, Qt::BlockingQueuedConnection);
        presenter.shutDown();
    }
    thread.quit();
    thread.wait();
}

template <typename Work>
void ConsoleLink::post(Work work) {
    if (finished) {
        return;
    }
    QMetaObject::invokeMethod(
        worker, [link = worker, work] { work(*link); }, Qt::QueuedConnection);
}

void ConsoleLink::click(console::ControlId id) {
    post([id](LinkWorker& link) { link.click(id); });
}

void ConsoleLink::selectCom(int index) {
    post([index](LinkWorker& link) { link.selectCom(index); });
}

void ConsoleLink::movePeriod(int position) {
    post([position](LinkWorker& link) { link.movePeriod(position); });
}

void ConsoleLink::runService(LinkWorker::Service service, ServiceDone done) {
    // This object outlives the link thread, so the thread may post to it.
    post([this, service, done](LinkWorker& link) {
        const bool ran = link.runService(service);
        if (done) {
            QMetaObject::invokeMethod(
                this, [done, ran] { done(ran); }, Qt::QueuedConnection);
        }
    });
}

void ConsoleLink::mapPort(int slot, const std::string& path) {
    post([slot, path](LinkWorker& link) { link.mapPort(slot, path); });
}

void ConsoleLink::setNoEcho(bool on) {
    post([on](LinkWorker& link) { link.setNoEcho(on); });
}

void ConsoleLink::startDriveLog() {
    post([](LinkWorker& link) { link.startDriveLog(); });
}

void ConsoleLink::stopDriveLog() {
    post([](LinkWorker& link) { link.stopDriveLog(); });
}

void ConsoleLink::close() {
    if (!finished) {
        // Set here, not on the link thread: a service there holds it until it ends.
        worker->requestClose();
    }
    post([](LinkWorker& link) { link.close(); });
}

void ConsoleLink::workerClosed(const QString& warning, const QString& note) {
    finished = true;
    // No answer may reach the worker once its thread is gone.
    presenter.shutDown();
    thread.quit();
    thread.wait();
    emit closed(warning, note);
}

}  // namespace ecuprobe::ui
