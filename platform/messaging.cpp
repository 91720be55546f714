#include "platform/messaging.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimerEvent>

#include <map>
#include <mutex>
#include <thread>

namespace quillmix {

namespace {

const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// One queued message. A sent message carries the sender's completion: the destructor sets it,
// so a sender is released also when its window is destroyed before the message is handled.
class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned message, WParam wParam, LParam lParam, Event done, MessageResult* result)
        : QEvent(kMessageEventType),
          message(message),
          wParam(wParam),
          lParam(lParam),
          done(std::move(done)),
          result(result) {}
    ~MessageEvent() override { done.set(); }

    const unsigned message;
    const WParam wParam;
    const LParam lParam;
    Event done;
    MessageResult* result;
};

}  // namespace

class MessagePort : public QObject {
public:
    explicit MessagePort(MessageWindow& owner) : owner_(owner) {}

    // Qt's own queue locking is invisible to ThreadSanitizer (Qt is not instrumented). Each
    // post does a release increment here and each delivery an acquire load, which makes the
    // real ordering visible to it; the cost is one atomic operation per message.
    std::atomic<std::uint64_t> handOver{0};

    std::map<int, int> timerIdsByQtId;  // window thread only

protected:
    bool event(QEvent* e) override {
        // Before the event is read at all: a posted message's event was built on its sender's
        // thread.
        handOver.load(std::memory_order_acquire);
        if (e->type() != kMessageEventType) return QObject::event(e);
        auto* m = static_cast<MessageEvent*>(e);
        MessageResult r = owner_.handleMessage(m->message, m->wParam, m->lParam);
        if (m->result) *m->result = r;
        return true;
    }

    void timerEvent(QTimerEvent* e) override {
        auto it = timerIdsByQtId.find(e->timerId());
        if (it != timerIdsByQtId.end()) owner_.onTimer(it->second);
    }

private:
    MessageWindow& owner_;
};

namespace {

// Live windows by handle. Held while a message is queued, so a window cannot be destroyed
// between looking it up and posting to it. The audio thread never comes here.
struct WindowRegistry {
    std::mutex mutex;
    std::map<std::uint32_t, MessagePort*> ports;
    std::uint32_t nextId = 1;
};

WindowRegistry& registry() {
    static WindowRegistry* r = new WindowRegistry;  // never destroyed: workers may outlive main
    return *r;
}

}  // namespace

MessageWindow::MessageWindow() : port_(std::make_unique<MessagePort>(*this)) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    handle_.id = r.nextId++;
    r.ports[handle_.id] = port_.get();
}

MessageWindow::~MessageWindow() {
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        r.ports.erase(handle_.id);
    }
    // Deleting the port drops its queued messages; their destructors release any sender.
    port_.reset();
}

void MessageWindow::setWindowTimer(int id, int periodMs) {
    killWindowTimer(id);
    int qtId = port_->startTimer(periodMs, Qt::PreciseTimer);
    if (qtId != 0) port_->timerIdsByQtId[qtId] = id;
}

void MessageWindow::killWindowTimer(int id) {
    for (auto it = port_->timerIdsByQtId.begin(); it != port_->timerIdsByQtId.end(); ++it) {
        if (it->second == id) {
            port_->killTimer(it->first);
            port_->timerIdsByQtId.erase(it);
            return;
        }
    }
}

static bool queueMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam, Event done,
                         MessageResult* result, bool* direct, MessagePort** directPort) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.ports.find(window.id);
    if (it == r.ports.end()) return false;
    MessagePort* port = it->second;
    if (direct && port->thread() == QThread::currentThread()) {
        *direct = true;
        *directPort = port;
        return true;
    }
    // The event is built before the release increment, so that its construction is ordered
    // before the handler's acquire load too.
    auto* event = new MessageEvent(message, wParam, lParam, std::move(done), result);
    port->handOver.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(port, event, direct ? Qt::HighEventPriority : Qt::NormalEventPriority);
    return true;
}

MessageResult sendMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
    MessageResult result = 0;
    bool direct = false;
    MessagePort* port = nullptr;
    Event done = Event::create(Event::Reset::manual, false);
    if (!queueMessage(window, message, wParam, lParam, done, &result, &direct, &port)) return 0;
    if (direct) {
        // On the window thread: a plain call, as the window's own code would make.
        QEvent* e = new MessageEvent(message, wParam, lParam, Event(), &result);
        QCoreApplication::sendEvent(port, e);
        delete e;
        return result;
    }
    done.waitForever();
    return result;
}

bool postMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
    return queueMessage(window, message, wParam, lParam, Event(), nullptr, nullptr, nullptr);
}

bool isWindow(WindowHandle window) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.ports.count(window.id) != 0;
}

void dispatchPendingMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {
int waitDepth = 0;  // window thread only
}  // namespace

int pumpingWaitDepth() { return waitDepth; }
PumpingWaitScope::PumpingWaitScope() { ++waitDepth; }
PumpingWaitScope::~PumpingWaitScope() { --waitDepth; }

WaitResult pumpingWait(const Event& event) {
    if (event.isNull()) return event.wait(std::chrono::milliseconds(0));
    PumpingWaitScope scope;
    for (;;) {
        WaitResult r = event.wait(std::chrono::milliseconds(1));
        if (r != WaitResult::timeout) return r;
        dispatchPendingMessages();
    }
}

void letWindowThreadRun(int times) {
    for (int i = 0; i < times; ++i) {
        dispatchPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace quillmix
