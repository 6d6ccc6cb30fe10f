// Live play: the player's keyboard and mouse wheel drive the real plug-in in
// the live worker, 30 ticks a second. W and the arrow keys are the move
// input; every key also goes to the plug-in's keyboard handler, as the game
// passes every key on; the wheel is the game's wheel. While the play area
// has focus the browser does nothing else with these keys or the wheel.
// Ticks are counted from the clock, so a late timer plays the ticks it
// missed rather than dropping them.

const tickMs = 1000 / 30;
// How often the chart and the timeline are drawn again, in ticks (twice a
// second: each drawing reads the whole play so far).
const reportEvery = 15;
// Live play stops by itself after five minutes: the module keeps every call
// of the play, for the chart, the timeline and the trace.
const longestTicks = 5 * 60 * 30;

const moveKeys = { KeyW: 'up', ArrowUp: 'up', ArrowDown: 'down', ArrowLeft: 'left', ArrowRight: 'right' };
const moveOrder = ['up', 'down', 'left', 'right'];

export class LivePlay {
  constructor(container, worker) {
    this.area = container.querySelector('[data-live-area]');
    this.chart = container.querySelector('[data-live-chart]');
    this.timeline = container.querySelector('[data-live-timeline]');
    this.status = container.querySelector('[data-live-status]');
    this.speed = container.querySelector('[data-live-speed]');
    this.worker = worker;
    this.ini = null;
    this.running = false;
    this.pending = [];
    this.moving = new Set();
    this.downCodes = new Set();
    this.sinceReport = 0;
    this.drawing = null;
    this.slowestTickMs = 0;
    this.ticks = 0;
    container.querySelector('[data-live-start]').addEventListener('click', () => this.start());
    container.querySelector('[data-live-stop]').addEventListener('click', () => this.stop());
    this.area.addEventListener('keydown', (event) => this.key(event, true));
    this.area.addEventListener('keyup', (event) => this.key(event, false));
    this.area.addEventListener('wheel', (event) => this.wheel(event), { passive: false });
    this.area.addEventListener('blur', () => this.releaseAll());
  }

  setIni(ini) {
    this.ini = ini;
  }

  async start() {
    if (!this.ini) return;
    if (this.running) await this.stop();
    const started = await this.worker.request('liveStart', { ini: this.ini });
    if (!started.started) {
      this.status.textContent = `Live play could not start: ${started.error}`;
      return;
    }
    this.running = true;
    this.pending = [];
    this.moving.clear();
    this.downCodes.clear();
    this.ticks = 0;
    this.slowestTickMs = 0;
    this.latestMs = 0;
    this.lateTicks = 0;
    this.startedAt = performance.now();
    this.status.textContent = 'Playing: click here or keep this area focused, then move with W or the arrow keys.';
    this.area.focus();
    this.timer = setInterval(() => this.pump(), tickMs / 2);
  }

  async stop() {
    if (!this.running) return null;
    this.running = false;
    clearInterval(this.timer);
    await this.flush();
    await this.drawing;
    const ended = await this.worker.request('liveStop', {});
    await this.report();
    const why = this.ticks >= longestTicks ? 'Live play stops after five minutes: press Start to play again. ' : '';
    this.status.textContent = `${why}Stopped after ${this.ticks} ticks (${(this.ticks / 30).toFixed(1)} s). ` +
      `The slowest tick took ${this.slowestTickMs.toFixed(2)} ms; ${this.lateTicks} came more than a tick late ` +
      `(the latest ${Math.round(this.latestMs)} ms after its time).`;
    this.lastRun = ended;
    return ended;
  }

  key(event, down) {
    if (!this.running) return;
    // Alt, Tab, F-keys and the rest must not move focus or open menus.
    event.preventDefault();
    if (event.repeat) return;
    // The module reads the key through the plug-in's table of key names.
    if (event.code && down !== this.downCodes.has(event.code)) {
      if (down) this.downCodes.add(event.code);
      else this.downCodes.delete(event.code);
      this.pending.push(['key', event.code, down]);
    }
    const direction = moveKeys[event.code];
    if (direction) {
      if (down) this.moving.add(direction);
      else this.moving.delete(direction);
      const held = moveOrder.filter((d) => this.moving.has(d));
      this.pending.push(['move', held.length ? held.join('+') : 'none']);
    }
  }

  wheel(event) {
    if (!this.running) return;
    event.preventDefault();
    if (event.deltaY !== 0) this.pending.push(['wheel', event.deltaY < 0]);
  }

  // Lets go of every key held when the area loses focus, as the game does
  // when its window does.
  releaseAll() {
    for (const code of this.downCodes) this.pending.push(['key', code, false]);
    this.downCodes.clear();
    if (this.moving.size) this.pending.push(['move', 'none']);
    this.moving.clear();
  }

  // Plays the ticks due by now, each after the inputs given before it.
  async pump() {
    if (this.pumping || !this.running) return;
    this.pumping = true;
    try {
      const due = Math.min(longestTicks, Math.floor((performance.now() - this.startedAt) / tickMs) + 1);
      if (due > this.ticks) await this.flush(due - this.ticks);
      if (this.ticks >= longestTicks) {
        this.pumping = false;
        await this.stop();
      }
    } finally {
      this.pumping = false;
    }
  }

  async flush(ticks = 0) {
    const steps = this.pending;
    this.pending = [];
    for (let i = 0; i < ticks; ++i) steps.push(['tick']);
    if (!steps.length) return;
    const answer = await this.worker.request('liveSteps', { steps });
    if (ticks) {
      // How long after its time the first of these ticks was played; more
      // than a tick is a tick the player felt late.
      const late = performance.now() - (this.startedAt + this.ticks * tickMs);
      this.latestMs = Math.max(this.latestMs, late);
      if (late > tickMs) this.lateTicks += 1;
    }
    this.ticks += ticks;
    this.slowestTickMs = Math.max(this.slowestTickMs, answer.slowest);
    if (answer.last) {
      const imposed = answer.last.imposed === null ? 'the game\'s own speed' : `capped at ${answer.last.imposed.toFixed(2)}`;
      this.speed.textContent = `tick ${answer.last.tick} · the ped wants ${answer.last.desired.toFixed(2)} · Ambleworks: ${imposed}`;
    }
    this.sinceReport += ticks;
    // Drawn beside the ticks, not before the next: the page's redrawing of
    // the chart must not hold the next tick back. One drawing at a time.
    if (this.sinceReport >= reportEvery && !this.drawing) {
      this.sinceReport = 0;
      this.drawing = this.report()
        .catch((error) => {
          this.status.textContent = `The chart could not be drawn: ${error.message || error}`;
        })
        .finally(() => {
          this.drawing = null;
        });
    }
  }

  async report() {
    const report = await this.worker.request('liveReport', {});
    this.chart.innerHTML = report.chart;
    this.timeline.textContent = report.timeline;
    this.timeline.scrollTop = this.timeline.scrollHeight;
  }
}
