#pragma once

#include <cstdint>
#include <exception>

namespace vtm {

// Thrown out of a walk over the document once the user has asked a long command to stop.
class JobStopped : public std::exception
{
public:
    const char *what() const noexcept override { return "Stopped"; }
};

// The measure of one long command: how much of its work is done, and whether the user
// wants it stopped. The walks over the document count their bytes here (at most a span at
// a time) and never hold a span across a count, so that poll() may let the window repaint.
class JobMeter
{
public:
    virtual ~JobMeter() = default;

    std::int64_t done() const { return m_done; }
    std::int64_t total() const { return m_total; }
    void setTotal(std::int64_t total) { m_total = total < 0 ? 0 : total; }
    // Counts n more units of work; once pollEvery() units have been counted since the last
    // poll, polls, and throws JobStopped when the user has asked to stop.
    void add(std::int64_t n)
    {
        m_done += n;
        if (m_done - m_polled >= m_pollEvery || m_stopped)
            check();
    }
    // Polls now; throws JobStopped when the user has asked to stop (at once, once asked).
    void check()
    {
        m_polled = m_done;
        if (m_stopped || !poll()) {
            m_stopped = true;
            throw JobStopped();
        }
    }
    bool stopped() const { return m_stopped; }
    // How much work may go by between polls: enough that many small counts (a search per
    // occurrence) cost no clock read each, little enough that a poll comes every few
    // milliseconds even from a slow disk. 0 polls at every count.
    static constexpr std::int64_t DefaultPollEvery = 64 * 1024;
    std::int64_t pollEvery() const { return m_pollEvery; }
    void setPollEvery(std::int64_t units) { m_pollEvery = units < 0 ? 0 : units; }
    // What a command that keeps its partial work has changed so far (occurrences, bytes).
    void setChanged(std::int64_t n) { m_changed = n; }
    std::int64_t changed() const { return m_changed; }
    // How much the whole command would have changed, where it knows (-1: unknown).
    void setChangeEstimate(std::int64_t n) { m_estimate = n; }
    std::int64_t changeEstimate() const { return m_estimate; }

protected:
    // Lets the window system run now and then; false once the user asked to stop.
    virtual bool poll() = 0;

private:
    std::int64_t m_done = 0, m_total = 0, m_changed = -1, m_estimate = -1;
    std::int64_t m_polled = 0, m_pollEvery = DefaultPollEvery;
    bool m_stopped = false;
};

// Attaches a meter to an owner (the document) for one scope, however it is left.
template <class Owner> class MeterScope
{
public:
    MeterScope(Owner &owner, JobMeter *meter)
        : m_owner(owner)
        , m_previous(owner.Meter())
    {
        m_owner.setMeter(meter);
    }
    ~MeterScope() { m_owner.setMeter(m_previous); }
    MeterScope(const MeterScope &) = delete;
    MeterScope &operator=(const MeterScope &) = delete;

private:
    Owner &m_owner;
    JobMeter *m_previous;
};

} // namespace vtm
