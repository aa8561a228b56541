# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The desktop's notification server (dunst, on the scenario's bus) and the notice the program
# gives, there and on stderr, when it finds no notification area.

# hosts_start_dunst: dunst as the notification server; a left click on a notification invokes
# its action. Every notification it gets is recorded (app, summary, body) in notified.log.
hosts_start_dunst() {
    e2e_need dunst:dunst dunstctl:dunst
    cat >"$E2E_TMP/record-notification" <<EOF2
#!/bin/sh
printf '%s|%s|%s\n' "\$DUNST_APP_NAME" "\$DUNST_SUMMARY" "\$DUNST_BODY" >>"$E2E_TMP/notified.log"
EOF2
    chmod +x "$E2E_TMP/record-notification"
    cat >"$E2E_TMP/dunstrc" <<EOF2
[global]
    font = Noto Sans CJK JP 10
    width = 420
    origin = top-right
    offset = 10x50
    mouse_left_click = do_action, close_current
    show_indicators = yes
[record]
    appname = "*"
    script = $E2E_TMP/record-notification
EOF2
    : >"$E2E_TMP/notified.log"
    dunst -config "$E2E_TMP/dunstrc" >"$E2E_TMP/dunst.log" 2>&1 &
    e2e__track "$!" dunst
    e2e_poll "$E2E_TIMEOUT_MS" hosts_name_owned org.freedesktop.Notifications ||
        e2e_fail "dunst did not take org.freedesktop.Notifications: $(cat "$E2E_TMP/dunst.log")"
    e2e_log "dunst serves notifications"
}

hosts_displayed() { dunstctl count displayed 2>/dev/null; }
hosts__displayed_is() { [[ $(hosts_displayed) == "$1" ]]; }

# hosts_wait_displayed N [MS]: dunst shows N notifications.
hosts_wait_displayed() {
    e2e_poll "${2:-$E2E_TIMEOUT_MS}" hosts__displayed_is "$1" ||
        e2e_fail "expected dunst to show $1 notification(s), it shows $(hosts_displayed); received: $(cat "$E2E_TMP/notified.log")"
}

# The notice the program gives when it finds no notification area.
HOSTS_NOTICE='通知領域（システムトレイ）が見つかりません。通知領域ができるとすぐにアイコンが表示されます。'

# hosts_expect_notice: dunst received the notice once, and stderr carries the same text.
hosts_expect_notice() {
    e2e_expect_eq "notifications dunst received (app|summary|body)" "Quorvel|Quorvel|$HOSTS_NOTICE" \
        "$(cat "$E2E_TMP/notified.log")"
    hosts_expect_stderr_notice
}

hosts_expect_stderr_notice() {
    e2e_expect_eq "the notice on stderr" "Quorvel: $HOSTS_NOTICE" "$(grep -F "$HOSTS_NOTICE" "$E2E_PROGRAM_LOG")"
}

hosts_stderr_has_notice() { grep -qF "$HOSTS_NOTICE" "$E2E_PROGRAM_LOG"; }

# hosts_notice_place: HOSTS_NOTICE_AT gets X Y W H of the notification dunst shows.
hosts_notice_place() {
    local WINDOW X Y WIDTH HEIGHT SCREEN
    WINDOW=$(xdotool search --onlyvisible --classname '^Dunst$' 2>/dev/null | head -n 1)
    [[ -n $WINDOW ]] || e2e_fail "dunst shows a notification but no window of class Dunst is visible"
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    HOSTS_NOTICE_AT=("$X" "$Y" "$WIDTH" "$HEIGHT")
}

# hosts_click_notice: a left click on that notification, which invokes its action.
hosts_click_notice() {
    hosts_notice_place
    local -a at=("${HOSTS_NOTICE_AT[@]}")
    xdotool mousemove $((at[0] + at[2] / 2)) $((at[1] + at[3] / 2)) click --delay 0 1 ||
        e2e_fail "xdotool could not click the notification"
}
