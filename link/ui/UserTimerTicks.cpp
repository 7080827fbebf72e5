#include "link/ui/UserTimerTicks.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/UserTimerUnit.h"

namespace {

class QtTickSource : public TickSource {
 public:
  explicit QtTickSource(QObject* owner) : timer_(new QTimer(owner)) {
    timer_->setTimerType(Qt::PreciseTimer);
  }
  ~QtTickSource() override {
    if (timer_) timer_->deleteLater();
  }
  void Start(int intervalMs, std::function<void()> onTick) override {
    if (!timer_) return;
    QObject::disconnect(timer_, nullptr, nullptr, nullptr);
    QObject::connect(timer_, &QTimer::timeout, timer_, std::move(onTick));
    timer_->start(intervalMs);
  }
  void Stop() override {
    if (!timer_) return;
    timer_->stop();
    QObject::disconnect(timer_, nullptr, nullptr, nullptr);
  }

 private:
  QPointer<QTimer> timer_;
};

}  // namespace

void UserTimer_InstallQtTicks() {
  UserTimer_SetTickSourceFactory([](void* owner) -> std::unique_ptr<TickSource> {
    return std::make_unique<QtTickSource>(static_cast<QObject*>(owner));
  });
}
