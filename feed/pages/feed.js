// Shared by the board and the overlay: reads the state and turns texts into digits.
"use strict";
var Feed = (function () {
  function get(state, path) {
    return path.split(".").reduce(function (o, k) { return o == null ? o : o[k]; }, state);
  }
  // Captions in element order: a number from its ones digit, a time from the left with
  // its separator between elements 1 and 2, as the board's displays read.
  function digits(text, count, time) {
    var out = [], i;
    text = text == null ? "" : String(text);
    for (i = 0; i < count; i++) out.push(-1);
    if (!time) {
      for (i = 0; i < count && i < text.length; i++) out[i] = num(text[text.length - 1 - i]);
      return { captions: out, dots: [false, false] };
    }
    var sep = text.search(/[:.]/);
    var left = sep < 0 ? "" : text.slice(0, sep), right = sep < 0 ? text : text.slice(sep + 1);
    for (i = 0; i < left.length && i < 2; i++) out[1 - i] = num(left[left.length - 1 - i]);
    for (i = 0; i < right.length && 2 + i < count; i++) out[2 + i] = num(right[i]);
    var colon = sep >= 0 && text[sep] === ":";
    return { captions: out, dots: [colon, sep >= 0] };
  }
  function num(c) { var n = parseInt(c, 10); return isNaN(n) ? -1 : n; }
  function blend(a, b, t) {
    var pa = parseInt(a.slice(1), 16), pb = parseInt(b.slice(1), 16), out = 0;
    for (var s = 16; s >= 0; s -= 8) {
      var ca = (pa >> s) & 255, cb = (pb >> s) & 255;
      out |= Math.round(ca + (cb - ca) * t) << s;
    }
    return "#" + (out | 0x1000000).toString(16).slice(1);
  }
  // Calls back with every state: the current one at once, then each change as it comes.
  function follow(onState) {
    var source = new EventSource("/events");
    source.onmessage = function (e) { onState(JSON.parse(e.data)); };
  }
  // The stoppage clock (or activity period) the board shows over the time advantage:
  // "Injury Home", or null.
  var kindNames = { injury: "Injury", blood: "Blood", recovery: "Recovery", headNeck: "Head-neck",
                    activity: "Activity" };
  function stoppageCaption(state) {
    var st = state.stoppage;
    if (!st || !st.kind) return null;
    return kindNames[st.kind] + " " + (st.side === "home" ? state.home.name : state.guest.name);
  }
  // An overtime round's full name, or the break's; null in a period.
  var roundNames = { suddenVictory: "Sudden victory", tiebreaker: "Tiebreaker",
                     ultimateTiebreaker: "Ultimate tiebreaker", "break": "Break" };
  function roundName(state) {
    return state.round && roundNames[state.round.kind] ? roundNames[state.round.kind] : null;
  }
  return { get: get, digits: digits, blend: blend, follow: follow, stoppageCaption: stoppageCaption,
           roundName: roundName };
})();
