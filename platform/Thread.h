#pragma once

#include "orvExport.h"

#include <QThread>

#include <atomic>

/// The thread on which VThread::launchSimpleThread runs a plain function. A Thread launched that
/// way releases itself after its function has returned: through the event loop of the launching
/// thread when that thread was running one, otherwise when its own thread exits.
class ORV_EXPORT Thread : public QThread {
    Q_OBJECT

public:
    explicit Thread(QObject* parent = nullptr);
    ~Thread() override;

    /// The function the next started Thread runs; taken (and cleared) by that Thread.
    static unsigned int (*startAddress)(void*);
    /// True once the started Thread has taken startAddress, so that the slot may be used again.
    static std::atomic<bool> startAddressIsFree;

protected:
    /// Takes the function from startAddress, frees the slot and calls the function with a null
    /// argument.
    void run() override;

private Q_SLOTS:
    /// Releases the Thread that emitted finished(); does nothing without such a sender.
    void threadFinished();

private:
    friend class VThread;

    /// Who releases this object once its thread has finished.
    enum class Release { byOwner, byLauncherLoop, byFinishingThread };

    /// Deletes this object when the calling thread (its own) exits.
    ORV_NO_EXPORT void _releaseWhenThreadExits();

    Release _release = Release::byOwner;
    /// Set by the launcher once it no longer looks at this object.
    std::atomic<bool> _launcherDone{false};
    /// Set when run() has returned.
    std::atomic<bool> _runReturned{false};
};
