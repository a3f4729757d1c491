// SPDX-License-Identifier: GPL-3.0-or-later
// The chart: what Export would write now, with FAO-56, the day length and up to 8 kept
// latitudes beside it, drawn as SVG, so that the SVG saved is the chart itself and the PNG is
// that SVG drawn at its own size.
import { axisBottom, axisLeft, axisRight } from 'd3-axis';
import { scaleLinear } from 'd3-scale';
import { create } from 'd3-selection';
import { line } from 'd3-shape';

export const MOST_KEPT = 8;
export const SLIDE = { width: 1600, height: 1000 };
const LAYOUT_WIDTH = 800;  // the width the chart is laid out at; a picture scales it
const REACH = 14;           // pixels above or below a curve within which the pointer reads it
// Of curves equally near the pointer, the one read first.
const READING_ORDER = ['current', 'fao56', 'dayLength', 'kept', 'keptDayLength'];

// Okabe and Ito's colours, told apart by readers with any common colour blindness.
const BLACK = '#000000';
const ORANGE = '#e69f00';
const SKY_BLUE = '#56b4e9';
const BLUISH_GREEN = '#009e73';
const BLUE = '#0072b2';
const VERMILLION = '#d55e00';
const REDDISH_PURPLE = '#cc79a7';
const AXIS_GREY = '#505050';
// Dash patterns in pen widths: a grey print still tells the kept curves apart.
const DOTTED = [1, 3];
const SPARSELY_DOTTED = [2, 4];
const KEPT_STROKES = [
  { colour: VERMILLION, dashes: [4, 2], dayDashes: DOTTED },
  { colour: BLUISH_GREEN, dashes: [1, 2], dayDashes: DOTTED },
  { colour: REDDISH_PURPLE, dashes: [6, 2, 1, 2], dayDashes: DOTTED },
  { colour: BLACK, dashes: [8, 3], dayDashes: DOTTED },
  { colour: SKY_BLUE, dashes: [3, 2, 1, 2, 1, 2], dayDashes: DOTTED },
  { colour: ORANGE, dashes: [2, 2], dayDashes: DOTTED },
  { colour: VERMILLION, dashes: [10, 2, 2, 2], dayDashes: SPARSELY_DOTTED },
  { colour: BLUISH_GREEN, dashes: [6, 2, 1, 2, 1, 2, 1, 2], dayDashes: SPARSELY_DOTTED },
];
const DAY_LENGTH_WIDTH = 1.4;
const MONTHS = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec'];
// What the chart draws: the state of its controls and the tables of its curves. Latitudes are
// held as the decimal box's texts that gave them, which the core reads as Export reads them;
// its own text of each ("41.9") tells them apart. Every text shown comes from the core.
export class ChartData {
  constructor(core) {
    this.core = core;
    this.latitude = null;  // the core's text of the latitude drawn
    this.typed = null;     // the decimal box's text that gave it
    this.latitudeText = '';
    this.typedOf = new Map();  // kept latitude -> its text typed
    this.textValid = false;
    this.choice = null;
    this.fao56 = false;
    this.dayLength = false;
    this.kept = [];  // latitudes, the core's texts
  }

  otherMethod() {
    return this.choice.method === 'fao56' ? 'harmonic' : 'fao56';
  }

  // The latitude in the decimal box and the choices; false when nothing drawn changes.
  follow(latitudeText, choice) {
    this.latitudeText = latitudeText;
    const check = this.core.checkLatitude(latitudeText);
    this.textValid = check.ok;
    const target = check.ok ? check.latitude : this.latitude;
    const typed = check.ok ? latitudeText : this.typed;
    const same = this.choice !== null && this.latitude !== null && target === this.latitude &&
      ['aggregation', 'unit', 'method'].every((k) => this.choice[k] === choice[k]);
    this.latitude = target ?? '0';
    this.typed = typed ?? '0';
    this.choice = { ...choice, quantity: 'radiation' };
    return !same;
  }

  typedText(latitude) {
    return latitude === this.latitude ? this.typed : this.typedOf.get(latitude);
  }

  // The periods of a latitude's table, each with its value as the file rounds it.
  periods(latitude, quantity, method = this.choice.method) {
    return this.core.cycle(this.typedText(latitude), { ...this.choice, quantity, method });
  }

  currentKept() {
    return this.kept.includes(this.latitude);
  }

  canKeep() {
    return this.latitude !== null && this.kept.length < MOST_KEPT && !this.currentKept();
  }

  keep() {
    if (!this.canKeep()) return false;
    this.kept.push(this.latitude);
    this.typedOf.set(this.latitude, this.typed);
    return true;
  }

  clearKept() {
    this.kept = [];
    this.typedOf.clear();
  }

  texts() {
    return this.core.chartTexts({
      latitudeText: this.latitudeText, followsText: this.textValid, latitude: this.typed,
      choice: this.choice, anyKept: this.kept.length > 0, dayLength: this.dayLength,
    });
  }

  // The curves in the order Copy values lists them, each with its stroke and names: `name` as
  // the table and `keyName` as the key under the chart names it.
  curves() {
    const { method } = this.choice;
    const list = [];
    const curve = (role, latitude, quantity, curveMethod, stroke) => {
      const typed = this.typedText(latitude);
      const names = this.core.curveNames(typed, method);
      return {
        role, latitude, typed, quantity, method: curveMethod, names,
        periods: this.periods(latitude, quantity, curveMethod), ...stroke,
      };
    };
    // Beside the other method's curve, the latitude drawn says which method drew it.
    const methodKey = (names) => (this.fao56 ? names.keyMethod : names.name);
    this.kept.forEach((lat, i) => {
      const c = curve('kept', lat, 'radiation', method, { colour: KEPT_STROKES[i].colour, width: 2, dashes: KEPT_STROKES[i].dashes });
      list.push({ ...c, name: c.names.curve, keyName: lat === this.latitude ? methodKey(c.names) : c.names.name });
    });
    const shown = !this.currentKept();
    if (shown) {
      const c = curve('current', this.latitude, 'radiation', method, { colour: BLUE, width: 2.6, dashes: [] });
      list.push({ ...c, name: this.fao56 ? c.names.method : c.names.curve, keyName: methodKey(c.names) });
    }
    if (this.fao56) {
      const other = this.otherMethod();
      const c = curve('fao56', this.latitude, 'radiation', other, { colour: BLUE, width: 2.2, dashes: [5, 2] });
      list.push({ ...c, name: c.names.other, keyName: c.names.keyOther });
    }
    if (this.dayLength) {
      this.kept.forEach((lat, i) => {
        const c = curve('keptDayLength', lat, 'daylength', method, { colour: KEPT_STROKES[i].colour, width: DAY_LENGTH_WIDTH, dashes: KEPT_STROKES[i].dayDashes });
        list.push({ ...c, name: c.names.dayLength, keyName: c.names.keyDayLength });
      });
      if (shown) {
        const c = curve('dayLength', this.latitude, 'daylength', method, { colour: BLUE, width: DAY_LENGTH_WIDTH, dashes: DOTTED });
        list.push({ ...c, name: c.names.dayLength, keyName: c.names.keyDayLength });
      }
    }
    return list;
  }

  // The values drawn as a table a spreadsheet pastes into cells.
  table(curves = this.curves()) {
    return this.core.valuesTable(this.choice, curves.map((c) => ({
      latitude: c.typed, method: c.method, quantity: c.quantity, name: c.name,
    })));
  }

  reading(curve, day) {
    return this.core.reading(curve.typed, { ...this.choice, quantity: curve.quantity, method: curve.method }, day);
  }
}

function curvePoints(periods, daily) {
  const points = [];
  for (const p of periods) {
    points.push([p.firstDay, p.value]);
    if (!daily) points.push([p.firstDay + p.days, p.value]);
  }
  return points;
}

// Draws the chart into a new <svg> of width x height; returns it with what the readout needs.
export function drawChart(data, width, height, { fontSize = 12 } = {}) {
  const curves = data.curves();
  const { aggregation } = data.choice;
  const periods = data.periods(data.latitude, 'radiation');
  const months = data.core.cycle(data.typed, { ...data.choice, aggregation: 'monthly' });
  const daily = aggregation === 'daily';
  const dayEnd = Math.max(366, ...periods.map((p) => p.firstDay + p.days));
  const highest = Math.max(0, ...curves.filter((c) => c.quantity !== 'daylength').flatMap((c) => c.periods.map((p) => p.value)));
  const scale = data.core.niceScale(highest);
  const texts = data.texts();

  const svg = create('svg')
    .attr('xmlns', 'http://www.w3.org/2000/svg')
    .attr('width', width).attr('height', height)
    .attr('viewBox', `0 0 ${width} ${height}`)
    .attr('font-family', 'sans-serif').attr('font-size', fontSize);
  svg.append('title').text(texts.title);
  svg.append('rect').attr('width', width).attr('height', height).attr('fill', '#ffffff');

  // The key under the plot: an entry per radiation curve and one for the day lengths.
  const keyEntries = curves.filter((c) => c.quantity !== 'daylength')
    .map((c) => ({ text: c.keyName, colour: c.colour, width: c.width, dashes: c.dashes }));
  if (data.dayLength) {
    keyEntries.push({ text: texts.dayLengthKey, colour: AXIS_GREY, width: DAY_LENGTH_WIDTH, dashes: DOTTED });
  }
  const key = keyEntries.length < 2 ? [] : keyEntries;
  const stroke = 36;
  const gap = 6;
  const spacing = 18;
  const rowHeight = fontSize * 1.4 + 4;
  const charWidth = fontSize * 0.56;  // room enough for a sans-serif face's average letter
  const rows = [];
  let used = 0;
  for (const e of key) {
    e.w = stroke + gap + e.text.length * charWidth;
    if (rows.length === 0 || used + spacing + e.w > width - 8) {
      rows.push([]);
      used = -spacing;
    }
    rows[rows.length - 1].push(e);
    used += spacing + e.w;
  }
  const keyHeight = rows.length * rowHeight;

  const margin = {
    top: fontSize * 2.6,
    left: fontSize * 4.6,
    right: data.dayLength ? fontSize * 4.2 : fontSize * 1.5,
    bottom: fontSize * 4.2 + keyHeight,
  };
  const plot = { x: margin.left, y: margin.top, w: width - margin.left - margin.right, h: height - margin.top - margin.bottom };
  const x = scaleLinear().domain([1, dayEnd]).range([plot.x, plot.x + plot.w]);
  const y = scaleLinear().domain([0, scale.top]).range([plot.y + plot.h, plot.y]);
  const hours = scaleLinear().domain([0, 24]).range([plot.y + plot.h, plot.y]);

  svg.append('text').attr('x', width / 2).attr('y', fontSize * 1.5).attr('text-anchor', 'middle')
    .attr('font-weight', 'bold').attr('font-size', fontSize * 1.2).text(texts.title);

  // Month boundaries as grid lines, the months' names between them.
  const grid = svg.append('g').attr('stroke', '#dddddd').attr('stroke-width', 1);
  const middles = months.map((m, i) => ({ day: m.firstDay + m.days / 2, name: MONTHS[i] }));
  for (const m of months) {
    const boundary = m.firstDay + m.days;
    grid.append('line').attr('x1', x(boundary)).attr('x2', x(boundary)).attr('y1', plot.y).attr('y2', plot.y + plot.h);
  }
  const ticks = Array.from({ length: scale.steps + 1 }, (_, i) => (scale.top * i) / scale.steps);
  for (const t of ticks) {
    grid.append('line').attr('x1', plot.x).attr('x2', plot.x + plot.w).attr('y1', y(t)).attr('y2', y(t));
  }

  const bottom = svg.append('g').attr('transform', `translate(0,${plot.y + plot.h})`)
    .call(axisBottom(x).tickValues(middles.map((m) => m.day)).tickFormat((d) => middles.find((m) => m.day === d).name).tickSize(0).tickPadding(6));
  bottom.attr('font-size', fontSize).attr('font-family', 'sans-serif');
  svg.append('text').attr('x', plot.x + plot.w / 2).attr('y', plot.y + plot.h + fontSize * 3)
    .attr('text-anchor', 'middle').text('Day of the year');

  svg.append('g').attr('transform', `translate(${plot.x},0)`)
    .call(axisLeft(y).tickValues(ticks).tickFormat((d) => String(Number(d.toPrecision(6)))))
    .attr('font-size', fontSize).attr('font-family', 'sans-serif');
  svg.append('text').attr('transform', `translate(${fontSize * 1.2},${plot.y + plot.h / 2}) rotate(-90)`)
    .attr('text-anchor', 'middle').text(texts.unit);

  if (data.dayLength) {
    const right = svg.append('g').attr('transform', `translate(${plot.x + plot.w},0)`)
      .call(axisRight(hours).tickValues([0, 6, 12, 18, 24]).tickFormat(String))
      .attr('font-size', fontSize).attr('font-family', 'sans-serif').attr('color', AXIS_GREY);
    right.selectAll('text').attr('fill', AXIS_GREY);
    svg.append('text').attr('transform', `translate(${width - fontSize * 1.2},${plot.y + plot.h / 2}) rotate(90)`)
      .attr('text-anchor', 'middle').attr('fill', AXIS_GREY).text('Day length, hours');
  }

  // Day lengths under the radiation, kept curves under the current one.
  const order = ['keptDayLength', 'dayLength', 'kept', 'fao56', 'current'];
  const drawn = [...curves].sort((a, b) => order.indexOf(a.role) - order.indexOf(b.role));
  const path = line();
  const curvesGroup = svg.append('g').attr('fill', 'none').attr('stroke-linecap', 'butt').attr('stroke-linejoin', 'miter');
  for (const c of drawn) {
    const scaleOf = c.quantity === 'daylength' ? hours : y;
    const p = curvesGroup.append('path')
      .attr('d', path(curvePoints(c.periods, daily).map(([d, v]) => [x(d), scaleOf(v)])))
      .attr('stroke', c.colour).attr('stroke-width', c.width)
      .attr('data-role', c.role);
    if (c.dashes.length > 0) p.attr('stroke-dasharray', c.dashes.map((d) => d * c.width).join(' '));
  }
  svg.append('rect').attr('x', plot.x).attr('y', plot.y).attr('width', plot.w).attr('height', plot.h)
    .attr('fill', 'none').attr('stroke', AXIS_GREY);

  const keyGroup = svg.append('g').attr('class', 'key');
  rows.forEach((row, r) => {
    const rowWidth = row.reduce((s, e) => s + e.w, 0) + spacing * (row.length - 1);
    let left = Math.max(0, (width - rowWidth) / 2);
    const top = height - keyHeight - 4 + r * rowHeight + rowHeight / 2;
    for (const e of row) {
      const l = keyGroup.append('line').attr('x1', left).attr('x2', left + stroke).attr('y1', top).attr('y2', top)
        .attr('stroke', e.colour).attr('stroke-width', e.width);
      if (e.dashes.length > 0) l.attr('stroke-dasharray', e.dashes.map((d) => d * e.width).join(' '));
      keyGroup.append('text').attr('x', left + stroke + gap).attr('y', top).attr('dominant-baseline', 'central')
        .attr('fill', '#282828').text(e.text);
      left += e.w + spacing;
    }
  });

  // The pointer's reading: the nearest curve within reach at the pointer's day.
  const readingAt = (px, py) => {
    if (px < plot.x || px > plot.x + plot.w || py < plot.y || py > plot.y + plot.h) return null;
    const day = x.invert(px);
    const index = data.core.periodAt(aggregation, day);
    if (index < 0) return null;
    const period = periods[index];
    const readable = [...curves].sort((a, b) => READING_ORDER.indexOf(a.role) - READING_ORDER.indexOf(b.role));
    let best = null;
    for (const c of readable) {
      const scaleOf = c.quantity === 'daylength' ? hours : y;
      const cy = scaleOf(c.periods[index].value);
      const distance = Math.abs(cy - py);
      if (distance <= REACH && (!best || distance < best.distance)) best = { distance, curve: c, y: cy };
    }
    // The core reads only the nearest curve: each reading computes its year.
    return best && { text: data.reading(best.curve, day), x: daily ? x(period.firstDay) : px, y: best.y };
  };
  return { svg: svg.node(), readingAt, plot, texts };
}

// The chart alone at the slide's size, laid out at 800 pixels' width and scaled to it.
export function slideSvg(data) {
  const scale = SLIDE.width / LAYOUT_WIDTH;
  const { svg } = drawChart(data, LAYOUT_WIDTH, SLIDE.height / scale);
  svg.setAttribute('width', SLIDE.width);
  svg.setAttribute('height', SLIDE.height);
  const text = new XMLSerializer().serializeToString(svg);
  return `<?xml version="1.0" encoding="UTF-8"?>\n${text}\n`;
}

// The SVG drawn onto a canvas of the slide's size: its lines and type drawn at that size.
export async function slidePng(data) {
  const url = URL.createObjectURL(new Blob([slideSvg(data)], { type: 'image/svg+xml' }));
  try {
    const image = new Image(SLIDE.width, SLIDE.height);
    image.src = url;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = SLIDE.width;
    canvas.height = SLIDE.height;
    const context = canvas.getContext('2d');
    context.fillStyle = '#ffffff';
    context.fillRect(0, 0, SLIDE.width, SLIDE.height);
    context.drawImage(image, 0, 0, SLIDE.width, SLIDE.height);
    return await new Promise((resolve, reject) => canvas.toBlob((b) => (b ? resolve(b) : reject(new Error('the picture could not be made'))), 'image/png'));
  } finally {
    URL.revokeObjectURL(url);
  }
}
