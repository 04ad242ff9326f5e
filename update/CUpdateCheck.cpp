#include "update/CUpdateCheck.h"

#include "orvBuildConfig.h"
#include "platform/VDateTime.h"
#include "platform/moduleFile_p.h"
#include "update/finishedReply_p.h"
#include "update/tlsWarningFilter_p.h"
#include "update/updateCheckSwitch_p.h"
#include "update/updateReply_p.h"
#include "update/updateRequest_p.h"
#include "update/updateTimesFile_p.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

float secondsNow() {
    return static_cast<float>(VDateTime::getSecondsSince1970());
}

} // namespace

CUpdateCheck::CUpdateCheck(unsigned long idHash, const std::string& idString, int edition, int version,
                           int revision, bool flagE, bool flagF)
    : QObject(nullptr), _timesFilePath(orv::moduleFilePath(orv::kUpdateTimesFileName)),
      _checkInterval(orv::kUpdateCheckIntervalSeconds), _edition(edition), _version(version),
      _revision(revision), _flagE(flagE), _flagF(flagF), _idHash(idHash), _idString(idString) {
    // Without a module path there is no timestamp file, and the checker stays disabled.

    // No meta types are registered: Qt's registry outlives the library, and would point the host's
    // own use of these types at helper code that is gone once the plugin is unloaded. Every signal
    // reaches this object on its own thread, directly, and needs no registration.
}

CUpdateCheck::~CUpdateCheck() {
    // Aborting the reply makes it finish; this object must not handle that while it is destroyed.
    if (_manager != nullptr)
        disconnect(_manager, nullptr, this, nullptr);
    if (_reply != nullptr)
        disconnect(_reply, nullptr, this, nullptr);
    if (_timer != nullptr) {
        _timer->stop();
        _timer->deleteLater();
    }
    if (_reply != nullptr) {
        _reply->abort();
        _reply->deleteLater();
    }
    if (_manager != nullptr)
        _manager->deleteLater();
    if (_requestPending) {
        _writeLastCheckAndDisplayTime(secondsNow(), _lastDisplayTime);
        orv::endTlsSilencing();
    }
}

void CUpdateCheck::checkForUpdate() {
    // Turned off by the user or an administrator: nothing is sent, printed or written.
    if (orv::isUpdateCheckTurnedOff())
        return;
    // The pending request's answer is still to come; a second request would only duplicate it.
    if (_requestPending)
        return;
    if (!_readLastCheckAndDisplayTime(_lastCheckTime, _lastDisplayTime)) {
        _writeLastCheckAndDisplayTime(0.0f, 0.0f);
        if (!_readLastCheckAndDisplayTime(_lastCheckTime, _lastDisplayTime))
            _disabled = true;
    }
    if (_disabled)
        return;
    const float now = secondsNow();
    if (!(now > _lastCheckTime + _checkInterval))
        return;

    std::printf("Checking for an updated Zembrix version...\n");
    orv::UpdateQuery query;
    query.idHash = _idHash;
    query.edition = _edition;
    query.version = _version;
    query.revision = _revision;
    query.flagE = _flagE;
    query.flagF = _flagF;
    query.idString = _idString;
    _sendRequest(orv::updateRequestUrl(orv::updateServerBase(), query));
}

void CUpdateCheck::_sendRequest(const std::string& url) {
    _releaseNetworkObjects();
    _requestPending = true;
    // Silenced only while a request is pending: the silencing then ends from the host's event loop, a
    // command or simEnd, where a filter that the host installed over this one can still keep the
    // library mapped. Only a host that unloads the library without simEnd during a request ends it
    // inside the unload, too late for that.
    orv::silenceTlsWarnings();
    // The manager keeps Qt's proxy lookup, which this library never changes for the process: the
    // proxy the host set, else the system's configuration for the URL (a loopback server is always
    // reached directly). Nothing answers its call for proxy credentials, so a proxy that asks for
    // more than its address holds fails the check like any other failure.
    _manager = new QNetworkAccessManager(this);
    _timer = new QTimer(this);
    // A coarse timer may fire up to 5 % early; the time-out is meant to the millisecond.
    _timer->setTimerType(Qt::PreciseTimer);
    _timer->start(_timeOutMs);
    connect(_manager, SIGNAL(finished(QNetworkReply*)), this, SLOT(replyFinished(QNetworkReply*)));
    connect(_timer, SIGNAL(timeout()), this, SLOT(handleTimeOut()));

    QNetworkRequest request(QUrl(QString::fromUtf8(url.c_str()), QUrl::TolerantMode));
    // Redirects are followed, but never from https to http; certificates are always verified.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    _reply = _manager->get(request);
    connect(_reply, SIGNAL(readyRead()), this, SLOT(slotReadyRead()));
    connect(_reply, SIGNAL(downloadProgress(qint64, qint64)), this,
            SLOT(replyDownloadProgress(qint64, qint64)));
    connect(_reply, SIGNAL(errorOccurred(QNetworkReply::NetworkError)), this,
            SLOT(slotError(QNetworkReply::NetworkError)));
}

void CUpdateCheck::_releaseNetworkObjects() {
    if (_timer != nullptr) {
        _timer->stop();
        disconnect(_timer, nullptr, this, nullptr);
        _timer->deleteLater();
        _timer = nullptr;
    }
    if (_manager != nullptr) {
        disconnect(_manager, nullptr, this, nullptr);
        _manager->deleteLater(); // takes its reply along
        _manager = nullptr;
        _reply = nullptr;
    }
}

void CUpdateCheck::replyFinished(QNetworkReply* reply) {
    // Only the reply of the pending request counts, and only once.
    if (!_requestPending || reply != _reply)
        return;
    const bool succeeded = orv::isWholeReply(*reply);
    std::string notice;
    if (succeeded) {
        const orv::UpdateReply content = orv::parseUpdateReply(reply->readAll().toStdString());
        notice = orv::composeUpdateNotice(content, _version, _revision, orv::kMakerWebAddress);
    }
    _recordCheck(succeeded, notice);
}

void CUpdateCheck::_recordCheck(bool succeeded, const std::string& notice) {
    const float now = secondsNow();
    if (now > _lastDisplayTime + _displayInterval) {
        _lastDisplayTime = now;
        _stringToDisplay = notice;
    }
    std::string text = notice;
    if (text.empty())
        text = succeeded ? orv::upToDateText() : orv::failedCheckText(orv::kMakerWebAddress);
    text += "\n";
    std::printf("%s", text.c_str());
    _writeLastCheckAndDisplayTime(now, _lastDisplayTime);
    _requestPending = false;
    orv::endTlsSilencing();
}

void CUpdateCheck::replyDownloadProgress(qint64 bytesReceived, qint64 bytesTotal) {
    if (_reply != nullptr &&
        (bytesReceived > orv::kMaxUpdateReplyBytes || bytesTotal > orv::kMaxUpdateReplyBytes))
        _reply->abort();
}

void CUpdateCheck::slotError(QNetworkReply::NetworkError) {}

void CUpdateCheck::slotReadyRead() {}

void CUpdateCheck::handleTimeOut() {
    if (_timer != nullptr)
        _timer->stop();
    if (_reply != nullptr)
        _reply->abort();
}

std::string CUpdateCheck::getUpdateStringToDisplay() {
    std::string text = _stringToDisplay;
    _stringToDisplay.clear();
    return text;
}

bool CUpdateCheck::_readLastCheckAndDisplayTime(float& lastCheck, float& lastDisplay) {
    return orv::readUpdateTimes(_timesFilePath, lastCheck, lastDisplay);
}

bool CUpdateCheck::_writeLastCheckAndDisplayTime(float lastCheck, float lastDisplay) {
    return orv::writeUpdateTimes(_timesFilePath, lastCheck, lastDisplay);
}
