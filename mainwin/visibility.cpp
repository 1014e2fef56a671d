#include "mainwin/visibility.h"

FadeWay Visibility::Changed(bool wasSeen) const {
    return Seen() == wasSeen ? FadeWay::kNone : Seen() ? FadeWay::kIn : FadeWay::kOut;
}

FadeWay Visibility::Show(bool byUser) {
    m_wanted = true;
    m_overCover |= byUser && m_covered;
    // Even when already wanted: the hover may have it hidden for the moment.
    return Seen() ? FadeWay::kIn : FadeWay::kNone;
}

FadeWay Visibility::Hide() {
    m_wanted = false;
    m_overCover = false;
    return FadeWay::kOut;
}

FadeWay Visibility::Cover(bool covered) {
    if (covered == m_covered) {
        return FadeWay::kNone;  // what the user asked for over it still holds
    }
    const bool wasSeen = Seen();
    m_covered = covered;
    m_overCover = false;
    return Changed(wasSeen);
}

FadeWay Visibility::Battery(bool critical) {
    const bool wasSeen = Seen();
    const bool entered = critical && !m_critical;
    m_critical = critical;
    if (entered) {
        m_wanted = true;
        return FadeWay::kIn;
    }
    return Changed(wasSeen);
}
