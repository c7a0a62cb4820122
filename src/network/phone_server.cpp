// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/phone_server.h"

#include "network/phone_worker.h"

#include <utility>

namespace network {

PhoneServer::PhoneServer(QObject *parent) : QObject(parent) { thread_.setObjectName(QStringLiteral("phones")); }

PhoneServer::~PhoneServer()
{
    if (!worker_)
        return;
    stop();
    thread_.quit();
    thread_.wait();
}

// The thread, its worker and the page are made at the first start: most games never serve phones.
void PhoneServer::makeWorker()
{
    if (worker_)
        return;
    worker_ = new PhoneWorker;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &PhoneWorker::started, this, &PhoneServer::started);
    connect(worker_, &PhoneWorker::failed, this, &PhoneServer::failed);
    connect(worker_, &PhoneWorker::phoneCountChanged, this, &PhoneServer::phoneCountChanged);
    connect(worker_, &PhoneWorker::claimReceived, this, &PhoneServer::claimReceived);
    connect(worker_, &PhoneWorker::phoneLeft, this, &PhoneServer::phoneLeft);
    connect(worker_, &PhoneWorker::phoneGreeted, this, &PhoneServer::phoneGreeted);
    thread_.start();
    if (!waitingState_.isEmpty())
        sendState(std::exchange(waitingState_, {}), waitingGone_);
}

void PhoneServer::sendState(const QByteArray &message, quint8 gone)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, message, gone] { w->publish(message, gone); });
}

void PhoneServer::start(quint16 port, const QString &token)
{
    makeWorker();
    QMetaObject::invokeMethod(worker_, [w = worker_, port, token] { w->start(port, token); });
}

void PhoneServer::stop()
{
    if (worker_)
        QMetaObject::invokeMethod(worker_, &PhoneWorker::stop, Qt::BlockingQueuedConnection);
}

void PhoneServer::setToken(const QString &token)
{
    if (!worker_)
        return; // given at start
    QMetaObject::invokeMethod(worker_, [w = worker_, token] { w->setToken(token); });
}

void PhoneServer::publish(const LiveState &state)
{
    quint8 gone = 0;
    for (int p = 0; p < int(state.prizesGone.size()); ++p)
        gone |= quint8(state.prizesGone[p] << p);
    if (worker_) {
        sendState(stateMessage(state), gone);
    } else {
        // Kept for the first start.
        waitingState_ = stateMessage(state);
        waitingGone_ = gone;
    }
}

void PhoneServer::answer(quint64 phone, const QString &verdict)
{
    if (!worker_)
        return; // no phone was ever served
    QMetaObject::invokeMethod(worker_, [w = worker_, phone, verdict] { w->answer(phone, verdict); });
}

} // namespace network
