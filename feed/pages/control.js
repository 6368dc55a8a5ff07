// A second operator's remote: pairs with the board, then sends presses and follows the state.
"use strict";
(function () {
  var TOKEN = "darezezControlToken", NAME = "darezezControlName";
  var $ = function (id) { return document.getElementById(id); };
  var token = localStorage.getItem(TOKEN);
  var pairing = 0, streaming = 0, stream = null, live = false, base = "", flashTimer = 0;
  var sending = Promise.resolve();
  var kindNames = { injury: "Injury", blood: "Blood", recovery: "Recovery", headNeck: "Head-neck",
                    activity: "Activity" };
  var roundNames = { suddenVictory: "Sudden victory", tiebreaker: "Tiebreaker",
                     ultimateTiebreaker: "Ultimate tiebreaker", "break": "Break" };

  function sleep(ms) { return new Promise(function (r) { setTimeout(r, ms); }); }
  function say(text, bad) {
    base = text;
    clearTimeout(flashTimer);
    $("status").textContent = text;
    $("status").classList.toggle("bad", !!bad);
  }
  // A command's answer stays only a moment, then what is going on shows again.
  function flash(text) {
    var keep = base;
    say(text, true);
    base = keep;
    flashTimer = setTimeout(function () { say(keep); }, 4000);
  }
  async function call(url, options) {
    var r = await fetch(url, Object.assign({ cache: "no-store" }, options));
    var body = {};
    try { body = await r.json(); } catch (e) { /* 202, 401 and 429 come without one */ }
    return { status: r.status, body: body };
  }

  function showPairing(text, bad) {
    pairing++;
    $("boardView").hidden = true;
    $("pairView").hidden = false;
    $("waiting").hidden = true;
    $("pairForm").hidden = false;
    $("pair").disabled = false;
    $("name").value = localStorage.getItem(NAME) || "";
    say(text, bad);
  }
  function removed() {
    token = null;
    localStorage.removeItem(TOKEN);
    stopStream();
    showPairing("This device was removed at the board. Pair it again to go on.", true);
  }

  async function pair(ev) {
    ev.preventDefault();
    var name = $("name").value.trim();
    if (name.length < 1 || name.length > 40) return say("Give this device a name of 1 to 40 characters", true);
    localStorage.setItem(NAME, name);
    $("pair").disabled = true;
    say("Asking the board");
    var r;
    try {
      r = await call("/api/pair", { method: "POST", headers: { "Content-Type": "application/json" },
                                    body: JSON.stringify({ name: name }) });
    } catch (e) { return showPairing("The board cannot be reached", true); }
    if (r.status === 400) return showPairing("Not accepted: " + (r.body.error || "bad name"), true);
    if (r.status === 429) return showPairing("Too many devices are waiting; try again in a minute", true);
    if (r.status === 404) return showPairing("Control is switched off at the board", true);
    if (r.status !== 200) return showPairing("The board answered " + r.status, true);
    $("pairForm").hidden = true;
    $("waiting").hidden = false;
    $("code").textContent = r.body.code;
    say("Waiting for the board to let this device in");
    wait(r.body.request, ++pairing);
  }
  async function wait(request, mine) {
    while (mine === pairing) {
      await sleep(1000);
      if (mine !== pairing) return;
      var r;
      try { r = await call("/api/pair/" + encodeURIComponent(request)); } catch (e) {
        say("Connection lost, retrying", true);
        continue;
      }
      if (mine !== pairing) return;
      if (r.status === 202) { say("Waiting for the board to let this device in"); continue; }
      if (r.status === 200 && r.body.token) {
        token = r.body.token;
        localStorage.setItem(TOKEN, token);
        return showBoard();
      }
      if (r.status === 403) return showPairing("The board refused this device, or the code lapsed", true);
      return showPairing("The board no longer knows this request; pair again", true);
    }
  }

  function showBoard() {
    pairing++;
    $("pairView").hidden = true;
    $("boardView").hidden = false;
    say("Connecting");
    follow();
  }
  function stopStream() {
    streaming++;
    if (stream) stream.abort();
    stream = null;
  }
  // Fetch rather than EventSource: only fetch can send the token.
  async function follow() {
    stopStream();
    var mine = streaming, backoff = 1000;
    while (mine === streaming && token) {
      stream = new AbortController();
      try {
        var r = await fetch("/api/events", { headers: { Authorization: "Bearer " + token },
                                             cache: "no-store", signal: stream.signal });
        if (r.status === 401) return removed();
        if (!r.ok || !r.body) throw new Error("status " + r.status);
        live = true;
        say("Connected to the board");
        backoff = 1000;
        var reader = r.body.getReader(), decoder = new TextDecoder(), buffer = "", cut;
        for (;;) {
          var chunk = await reader.read();
          if (chunk.done) break;
          buffer += decoder.decode(chunk.value, { stream: true }).replace(/\r/g, "");
          while ((cut = buffer.indexOf("\n\n")) >= 0) {
            frame(buffer.slice(0, cut));
            buffer = buffer.slice(cut + 2);
          }
        }
      } catch (e) { /* a drop or our own abort: both handled below */ }
      live = false;
      if (mine !== streaming) return;
      say("Connection lost, retrying", true);
      await sleep(backoff);
      backoff = Math.min(backoff * 2, 8000);
    }
  }
  function frame(text) {
    var data = text.split("\n").filter(function (l) { return l.indexOf("data:") === 0; })
                   .map(function (l) { return l.slice(l[5] === " " ? 6 : 5); }).join("\n");
    if (!data) return;
    try { render(JSON.parse(data)); } catch (e) { /* a torn frame: the next one fixes it */ }
  }

  function render(s) {
    ["home", "guest"].forEach(function (side) {
      var t = s[side] || {};
      $(side + "Name").textContent = t.name || (side === "home" ? "Home" : "Guest");
      $(side + "Wrestler").textContent = t.wrestler || "";
      $(side + "Score").textContent = t.score || "";
      $(side + "Match").textContent = t.match || "";
      var left = (s.stoppage && s.stoppage.left && s.stoppage.left[side]) || {};
      document.querySelectorAll('button[data-kind][data-side="' + side + '"]').forEach(function (b) {
        b.hidden = !(b.dataset.kind in left);
        b.querySelector("small").textContent = left[b.dataset.kind] || "";
      });
    });
    $("clock").textContent = s.clock || "";
    $("clock").classList.toggle("running", !!s.clockRunning);
    document.querySelector("[data-command=startStop]").textContent = s.clockRunning ? "Stop clock" : "Start clock";
    $("round").textContent = (s.round && roundNames[s.round.kind]) || "Period";
    $("period").textContent = s.period || "";
    var st = s.stoppage;
    $("stoppage").hidden = !(st && st.kind);
    if (st && st.kind) $("stoppage").textContent = (kindNames[st.kind] || st.kind) + " " +
        ((s[st.side] || {}).name || st.side) + " " + (st.shown || "");
    var ta = s.timeAdvantage;
    $("timeAdvantage").hidden = !(ta && ta.shown && ta.holder !== "none");
    if (ta && ta.shown) $("timeAdvantage").textContent = "Time advantage " + ta.shown + " " +
        ((s[ta.holder] || {}).name || "");
  }

  function newId() {
    if (window.crypto && crypto.randomUUID) return crypto.randomUUID();
    return Date.now().toString(36) + "-" + Math.random().toString(36).slice(2);
  }
  // One press at a time, in order; a resend keeps its id so that the board acts once.
  async function send(command) {
    var body = JSON.stringify(Object.assign({ id: newId() }, command));
    for (var attempt = 1; token; attempt++) {
      var r;
      try {
        r = await call("/api/command", { method: "POST", body: body,
          headers: { Authorization: "Bearer " + token, "Content-Type": "application/json" } });
      } catch (e) {
        if (attempt === 5) return flash("Not sent: the board cannot be reached");
        say("Connection lost, retrying", true);
        await sleep(500 * attempt);
        continue;
      }
      if (r.status === 200) {
        if (attempt > 1 && live) say("Connected to the board");
        return render(r.body);
      }
      if (r.status === 401) return removed();
      if (r.status === 409) return flash("Refused: " + (r.body.refused || "by the board"));
      if (r.status === 400) return flash("Not accepted: " + (r.body.error || "bad command"));
      if (r.status === 429) return flash("Too many presses; wait a moment");
      return flash("The board answered " + r.status);
    }
  }
  function press(ev) {
    var b = ev.target.closest("button[data-command]");
    if (!b) return;
    var c = { command: b.dataset.command };
    if (b.dataset.side) c.side = b.dataset.side;
    if (b.dataset.move) c.move = b.dataset.move;
    if (b.dataset.points) c.points = Number(b.dataset.points);
    if (b.dataset.kind) c.kind = b.dataset.kind;
    sending = sending.then(function () { return send(c); });
  }

  // The guest's buttons are the home's, mirrored by side.
  var home = document.querySelector(".side.home"), guest = home.cloneNode(true);
  guest.classList.replace("home", "guest");
  guest.dataset.side = "guest";
  guest.setAttribute("aria-labelledby", "guestName");
  home.after(guest);
  [home, guest].forEach(function (section) {
    section.querySelectorAll("button").forEach(function (b) { b.dataset.side = section.dataset.side; });
  });
  $("boardView").addEventListener("click", press);
  $("pairForm").addEventListener("submit", pair);
  $("cancel").addEventListener("click", function () { showPairing("Pairing cancelled"); });
  $("forget").addEventListener("click", function () {
    if (!confirm("Forget this device? It must be paired again at the board.")) return;
    token = null;
    localStorage.removeItem(TOKEN);
    stopStream();
    showPairing("Paired no more; the board may still list this device");
  });
  // A phone asleep may have lost the stream without a word: start afresh on waking.
  document.addEventListener("visibilitychange", function () {
    if (!document.hidden && token) follow();
  });
  window.addEventListener("online", function () { if (token) follow(); });
  if (token) showBoard(); else showPairing("Give this device a name, then pair it with the board");
})();
