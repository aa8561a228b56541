#!/bin/bash
# SPDX-License-Identifier: MIT
# The help page reads well in a browser window from 320 px wide to a full screen: in headless
# Chromium, side by side in frames 320, 380, 768 and 1280 px wide, nothing is wider than its
# frame and no element's content runs out of its box or its parent's (the table of contents'
# columns, the table, the commands). A sheet around the frames measures the page as loaded and
# writes above each frame a green bar, or a red one naming what overflows; the screenshot is
# read there and left in the artifacts, whole and cut per width. Usage: 17_help_page_widths.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 17_help_page_widths "${1:-}"
e2e_need chromium:chromium
browser=$(command -v chromium)
# The page as built (from data/help/help.html.in), beside the program.
page=$E2E_PROGRAM_DIR/Help/help.html
[[ -f $page ]] || e2e_fail "no help page beside the program: $page"
widths=(320 380 768 1280)
gap=8 bar=16 height=900

cat >"$E2E_TMP/sheet.html" <<SHEET
<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
body { margin: 0; display: flex; gap: ${gap}px; align-items: flex-start; background: #888; }
.bar { height: ${bar}px; font: 11px monospace; color: #fff; overflow: hidden; white-space: nowrap; background: #00f; }
iframe { border: 0; height: ${height}px; display: block; background: #fff; }
</style></head><body>
<script>
for (const width of [$(IFS=,; echo "${widths[*]}")]) {
  const column = document.createElement("div");
  column.innerHTML = '<div class="bar">not measured</div><iframe width="' + width + '"></iframe>';
  column.querySelector("iframe").src = new URLSearchParams(location.search).get("page");
  document.body.append(column);
}
addEventListener("load", () => {
  for (const column of document.querySelectorAll("body > div")) {
    const frame = column.querySelector("iframe"), bar = column.querySelector(".bar");
    const doc = frame.contentDocument, wide = [];
    if (doc.documentElement.scrollWidth > frame.contentWindow.innerWidth)
      wide.push("page " + doc.documentElement.scrollWidth + " px");
    // Content wider than its box, or sticking out of its parent's (text over the next column).
    for (const e of doc.body.querySelectorAll("*")) {
      const box = e.getBoundingClientRect(), parent = e.parentElement.getBoundingClientRect();
      if ((e.clientWidth > 0 && e.scrollWidth > e.clientWidth + 1) || box.right > parent.right + 1)
        wide.push(e.tagName + " " + e.textContent.slice(0, 12));
    }
    bar.textContent = frame.contentWindow.innerWidth + " px: " + (wide.join(" | ") || "ok");
    bar.style.background = wide.length ? "#f00" : "#0a0";
  }
});
</script></body></html>
SHEET

total=$(((${#widths[@]} - 1) * gap))
for w in "${widths[@]}"; do total=$((total + w)); done
sheet=$E2E_ARTIFACTS/help-widths.png
# File access between file:// pages lets the sheet look into its frames.
timeout 90 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --allow-file-access-from-files --user-data-dir="$E2E_TMP/chromium-profile" \
    --window-size="$total,$((bar + height))" --screenshot="$sheet" \
    "file://$E2E_TMP/sheet.html?page=file://$page" >"$E2E_TMP/chromium.log" 2>&1 ||
    e2e_fail "chromium failed: $(tail -n 5 "$E2E_TMP/chromium.log")"
e2e_expect_eq "screenshot size" "${total}x$((bar + height))" "$(identify -format '%wx%h' "$sheet")"
x=0
for w in "${widths[@]}"; do
    convert "$sheet" -crop "${w}x$((bar + height))+$x+0" +repage "$E2E_ARTIFACTS/help-$w.png"
    # The bar's right end, past its text.
    e2e_expect_eq "the bar over the $w px frame (green: nothing overflows; red names what does, see $E2E_ARTIFACTS/help-$w.png)" \
        "srgb(0,170,0)" "$(convert "$sheet" -format "%[pixel:p{$((x + w - 3)),$((bar / 2))}]" info:)"
    x=$((x + w + gap))
done
e2e_pass
