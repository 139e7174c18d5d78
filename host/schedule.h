// host/schedule.h - the fixed update schedule that both GLFW hosts keep.
//
// At a fixed update rate an update is due every 1/rate seconds on the host's
// clock. A host runs every update that is due, at most four in a row; when it
// is still behind after four it shows a frame and drops the backlog, so that
// a machine too slow for the rate plays slower instead of never drawing
// (BBGlfwGame::CatchUp). After a suspension the schedule starts again from
// the current time instead of catching up on the time spent suspended.
//
// The hosts differ in one parameter. The desktop sleeps until an update's
// time and counts it due from then on (dueEarly 0). The page is woken by the
// browser's animation frames, which come about as often as updates: there an
// update counts as due when its time lies within half an interval from now
// (dueEarly 0.5), or the frames' jitter would make them alternate between no
// update and two.
#ifndef LANTERN_HOST_SCHEDULE_H
#define LANTERN_HOST_SCHEDULE_H

class UpdateSchedule {
public:
    static const int kMaxCatchUp = 4;  // updates run in a row before a frame is shown

    // `dueEarly`: how far ahead of its time an update counts as due, as a
    // fraction of the interval.
    explicit UpdateSchedule(double dueEarly) : dueEarly_(dueEarly) {}

    // A new rate (updates per second) from `now` (seconds): the first update
    // is due one interval later. A rate of 0 keeps the last interval; the
    // host then runs no updates on a schedule.
    void SetRate(int updatesPerSecond, double now) {
        if (updatesPerSecond <= 0) return;
        interval_ = 1.0 / updatesPerSecond;
        next_ = now + interval_;
    }
    // The next update is due at `now`.
    void Restart(double now) { next_ = now; }
    // Seconds until the next update counts as due; 0 or less when it does.
    double Wait(double now) const { return next_ - now - dueEarly_ * interval_; }
    bool Due(double now) const { return Wait(now) <= 0; }
    // The next update has been run: the one after it is due an interval later.
    void Advance() { next_ += interval_; }

    double Next() const { return next_; }          // seconds
    double Interval() const { return interval_; }  // seconds

private:
    double dueEarly_;      // fraction of an interval
    double interval_ = 0;  // seconds per update
    double next_ = 0;      // clock time (seconds) when the next update is due
};

#endif
