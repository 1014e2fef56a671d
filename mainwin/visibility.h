// Who has the meter shown. The user and the battery's rules say whether it is wanted; a
// full-screen window over its monitor steps it aside while it is there, unless the user
// asks for the meter over it or the battery runs critically low. The hover, which only
// ever hides it for a moment, is not among them. Free of Win32: each event answers
// whether the meter must now fade in or out.
#ifndef SORVANE_VISIBILITY_H
#define SORVANE_VISIBILITY_H

#include "mainwin/fade_state.h"

// In and out are FadeTo's own values; none asks for no fade.
enum class FadeWay { kNone = -1, kOut = kFadeOut, kIn = kFadeIn };

class Visibility {
public:
    // Shown on the user's word (the tray icon, a second start, Reset, a click), or by a
    // rule (the start, unplugging): a rule waits for a full-screen window to go.
    FadeWay Show(bool byUser);
    // Hide, or on mains with a battery as full as it gets.
    FadeWay Hide();
    // A full-screen window came over the meter's monitor, or went.
    FadeWay Cover(bool covered);
    // The battery on battery power: entering the critical state shows the meter once,
    // whatever hid it; while it lasts the meter stays over full screen.
    FadeWay Battery(bool critical);
    // Whether the meter is to be shown; the hover may still fade it out for a moment.
    bool Seen() const { return m_wanted && (!m_covered || m_overCover || m_critical); }

private:
    FadeWay Changed(bool wasSeen) const;

    bool m_wanted = true;
    bool m_covered = false;
    bool m_overCover = false;  // the user asked for it over the full-screen window
    bool m_critical = false;
};

#endif
