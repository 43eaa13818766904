// Draws the scenario's lines and stations as SVG, entirely offline. Shared by the route map and
// the monitoring page.
var FwMap = (function () {
  "use strict";
  var SVG = "http://www.w3.org/2000/svg";
  var COLOURS = ["#1f77b4", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b", "#17becf", "#e377c2"];
  var METRES_PER_DEGREE = 111198.9233214825, DEG = 0.0174532925;

  function el(name, attrs, parent) {
    var e = document.createElementNS(SVG, name);
    for (var k in attrs) e.setAttribute(k, attrs[k]);
    if (parent) parent.appendChild(e);
    return e;
  }

  // Distance in km with the same flat-earth rule the client uses for its station circles.
  function km(lat1, lng1, lat2, lng2) {
    var y = (lat2 - lat1) * METRES_PER_DEGREE;
    var x = Math.cos((lat1 + lat2) * 0.5 * DEG) * (lng2 - lng1) * METRES_PER_DEGREE;
    return Math.sqrt(x * x + y * y) / 1000;
  }

  function create(svg, data) {
    var minLat = Infinity, maxLat = -Infinity, minLng = Infinity, maxLng = -Infinity;
    data.stations.forEach(function (s) {
      minLat = Math.min(minLat, s.lat); maxLat = Math.max(maxLat, s.lat);
      minLng = Math.min(minLng, s.lng); maxLng = Math.max(maxLng, s.lng);
    });
    var cos = Math.cos((minLat + maxLat) / 2 * DEG);
    var w = 1000, h = Math.max(400, Math.round(1000 * (maxLat - minLat) / Math.max(1e-9, (maxLng - minLng) * cos)));
    var pad = 40;
    svg.setAttribute("viewBox", "0 0 " + (w + 2 * pad) + " " + (h + 2 * pad));
    function project(lat, lng) {
      return [pad + (lng - minLng) / Math.max(1e-9, maxLng - minLng) * w,
              pad + (maxLat - lat) / Math.max(1e-9, maxLat - minLat) * h];
    }
    var byId = {};
    data.stations.forEach(function (s) { byId[s.id] = s; });
    var layers = {
      lines: el("g", {}, svg), route: el("g", {}, svg), stations: el("g", {}, svg), vehicles: el("g", {}, svg)
    };
    data.lines.forEach(function (line, i) {
      var pts = line.stations.map(function (id) { var s = byId[id]; return s ? project(s.lat, s.lng).join(",") : ""; });
      var colour = COLOURS[i % COLOURS.length];
      el("polyline", { points: pts.join(" "), fill: "none", stroke: colour, "stroke-width": 5,
                       "stroke-opacity": 0.45, "stroke-linejoin": "round" }, layers.lines);
      var first = byId[line.stations[0]];
      if (first) {
        var p = project(first.lat, first.lng);
        var t = el("text", { x: p[0] + 8, y: p[1] - 10, fill: colour, "font-size": 16, "font-weight": "bold" }, layers.lines);
        t.textContent = line.name;
      }
    });
    var stationNodes = {};
    data.stations.forEach(function (s) {
      var p = project(s.lat, s.lng);
      var g = el("g", { "class": "station", "data-id": s.id }, layers.stations);
      el("circle", { cx: p[0], cy: p[1], r: 7, fill: "#fff", stroke: "#333", "stroke-width": 2 }, g);
      var label = el("text", { x: p[0] + 9, y: p[1] + 4, "font-size": 12, fill: "#333" }, g);
      label.textContent = s.name;
      var title = el("title", {}, g);
      title.textContent = s.name + " (" + s.id + ")";
      stationNodes[s.id] = g;
    });
    return { svg: svg, project: project, layers: layers, stations: byId, stationNodes: stationNodes, el: el };
  }

  function load(url, done) {
    var xhr = new XMLHttpRequest();
    xhr.open("GET", url);
    xhr.onload = function () { if (xhr.status === 200) done(JSON.parse(xhr.responseText)); };
    xhr.send();
  }

  // Hands a command to the program when the page is shown inside it; in a plain browser the
  // relay does not exist and the command goes to the console instead.
  function relay(command) {
    if (window.FenwardeRelay && typeof window.FenwardeRelay.operate === "function") {
      window.FenwardeRelay.operate(command);
      return true;
    }
    if (window.console) console.log("FenwardeRelay not present; command: " + command);
    return false;
  }

  return { create: create, load: load, relay: relay, km: km, el: el };
})();
