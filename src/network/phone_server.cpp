// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/phone_server.h"

#include "network/phone_worker.h"

namespace network {

PhoneServer::PhoneServer(QObject *parent) : QObject(parent), worker_(new PhoneWorker)
{
    thread_.setObjectName(QStringLiteral("phones"));
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &PhoneWorker::started, this, &PhoneServer::started);
    connect(worker_, &PhoneWorker::failed, this, &PhoneServer::failed);
    connect(worker_, &PhoneWorker::phoneCountChanged, this, &PhoneServer::phoneCountChanged);
    connect(worker_, &PhoneWorker::claimReceived, this, &PhoneServer::claimReceived);
    thread_.start();
}

PhoneServer::~PhoneServer()
{
    stop();
    thread_.quit();
    thread_.wait();
}

void PhoneServer::start(quint16 port, const QString &token)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, port, token] { w->start(port, token); });
}

void PhoneServer::stop() { QMetaObject::invokeMethod(worker_, &PhoneWorker::stop, Qt::BlockingQueuedConnection); }

void PhoneServer::setToken(const QString &token)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, token] { w->setToken(token); });
}

void PhoneServer::publish(const LiveState &state)
{
    quint8 gone = 0;
    for (int p = 0; p < int(state.prizesGone.size()); ++p)
        gone |= quint8(state.prizesGone[p] << p);
    QMetaObject::invokeMethod(
        worker_, [w = worker_, message = stateMessage(state), gone] { w->publish(message, gone); });
}

void PhoneServer::answer(quint64 phone, const QString &verdict)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, phone, verdict] { w->answer(phone, verdict); });
}

} // namespace network
