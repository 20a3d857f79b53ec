#pragma once
// A small observer: the observer calls every attached receiver, in the order they attached.
// Both sides know each other, so a receiver that goes away first leaves no dangling entry.
#include <cstddef>
#include <map>
#include <set>
#include <vector>

template <typename ReturnT, typename ParamT>
class ReceiverImpl;

template <typename ReturnT, typename ParamT>
class ObserverImpl {
public:
    using Receiver = ReceiverImpl<ReturnT, ParamT>;

    ObserverImpl() = default;
    ObserverImpl(const ObserverImpl&) = delete;
    ObserverImpl& operator=(const ObserverImpl&) = delete;
    virtual ~ObserverImpl() {
        for (auto& [id, receiver] : m_receivers) receiver->DetachObserver(this);
    }

    virtual void AttachReceiver(Receiver* receiver) {
        if (!receiver || Contains(receiver)) return;
        m_receivers[++m_lastId] = receiver;
        receiver->AttachObserver(this);
    }

    virtual void DetachReceiver(Receiver* receiver) {
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second != receiver) continue;
            m_receivers.erase(it);
            receiver->DetachObserver(this);
            return;
        }
    }

    virtual void Announce(const ParamT& param) {
        // A receiver may detach itself or another one while it is being told.
        for (const int id : ReceiverIds())
            if (auto it = m_receivers.find(id); it != m_receivers.end()) it->second->OnChange(param);
    }

    virtual void AnnounceWithReply(const ParamT& param) {
        for (const int id : ReceiverIds())
            if (auto it = m_receivers.find(id); it != m_receivers.end()) it->second->OnChangeWithReply(param, this);
    }

    size_t ReceiverCount() const { return m_receivers.size(); }

private:
    bool Contains(Receiver* receiver) const {
        for (const auto& [id, r] : m_receivers)
            if (r == receiver) return true;
        return false;
    }
    std::vector<int> ReceiverIds() const {
        std::vector<int> ids;
        for (const auto& [id, r] : m_receivers) ids.push_back(id);
        return ids;
    }

    std::map<int, Receiver*> m_receivers;
    int m_lastId = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl {
public:
    using Observer = ObserverImpl<ReturnT, ParamT>;

    ReceiverImpl() = default;
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;
    virtual ~ReceiverImpl() {
        const std::set<Observer*> observers = m_observers;
        for (Observer* observer : observers) observer->DetachReceiver(this);
    }

    // Called by the observer's AttachReceiver / DetachReceiver.
    virtual void AttachObserver(Observer* observer) { m_observers.insert(observer); }
    virtual void DetachObserver(Observer* observer) { m_observers.erase(observer); }
    virtual ReturnT OnChange(const ParamT&) { return ReturnT(); }
    virtual ReturnT OnChangeWithReply(const ParamT&, Observer*) { return ReturnT(); }

private:
    std::set<Observer*> m_observers;
};
