#pragma once
// The update checker: asks the maker's update server at most once a day whether a newer Zembrix
// release exists, prints what it learns and keeps a notice for the host at most once a week.

#include "orvExport.h"

#include <QNetworkReply>
#include <QObject>

#include <string>

class QNetworkAccessManager;
class QTimer;

/// Checks for a newer Zembrix release; lives on the host's user-interface thread and gets its
/// network and timer events from that thread's event loop.
class ORV_EXPORT CUpdateCheck : public QObject {
    Q_OBJECT

public:
    /// Sends nothing yet; flagE and flagF are sent as query keys e and f.
    CUpdateCheck(unsigned long idHash, const std::string& idString, int edition, int version, int revision,
                 bool flagE, bool flagF);
    /// Ends a pending request and records it in the timestamp file as a completed check.
    ~CUpdateCheck() override;

    /// Sends the request when a day has passed since the last check and none is pending; returns at
    /// once, the answer arrives through replyFinished. Does nothing at all while the user or an
    /// administrator has turned automatic checks off.
    void checkForUpdate();
    /// The kept notice, handed out once: later calls return an empty text until a new one is kept.
    std::string getUpdateStringToDisplay();
    /// True from sending a request until its result is recorded.
    bool isRequestPending() const { return _requestPending; }

public Q_SLOTS:
    void replyFinished(QNetworkReply* reply);
    /// Aborts a reply whose body grows beyond the accepted size.
    void replyDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void slotError(QNetworkReply::NetworkError error);
    void slotReadyRead();
    /// Aborts the request (the reply then finishes with an error).
    void handleTimeOut();

private:
    bool _readLastCheckAndDisplayTime(float& lastCheck, float& lastDisplay);
    bool _writeLastCheckAndDisplayTime(float lastCheck, float lastDisplay);
    ORV_NO_EXPORT void _sendRequest(const std::string& url);
    /// Keeps, prints and records the result of a check.
    ORV_NO_EXPORT void _recordCheck(bool succeeded, const std::string& notice);
    /// Lets go of the network objects of an earlier, finished request.
    ORV_NO_EXPORT void _releaseNetworkObjects();

    std::string _stringToDisplay;
    std::string _timesFilePath;
    float _lastCheckTime = 0.0f;
    float _lastDisplayTime = 0.0f;
    float _checkInterval;
    float _displayInterval = 604800.0f;
    int _timeOutMs = 2000;
    bool _disabled = false;
    bool _requestPending = false;
    QNetworkAccessManager* _manager = nullptr;
    QNetworkReply* _reply = nullptr;
    QTimer* _timer = nullptr;
    int _edition;
    int _version;
    int _revision;
    bool _flagE;
    bool _flagF;
    quint64 _idHash;
    std::string _idString;
};
