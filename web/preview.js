// The preview: a bundled scenario played with the values the form shows,
// its chart and its timeline exactly as `ambleworks-sim plot` and `run
// --show timeline` make them. Plays again by itself whenever the values
// change (the latest change wins; a replay in progress is not interrupted).

export class Preview {
  constructor(container, worker, scenarios) {
    this.worker = worker;
    this.scenarios = scenarios;
    this.chart = container.querySelector('[data-preview-chart]');
    this.timeline = container.querySelector('[data-preview-timeline]');
    this.status = container.querySelector('[data-preview-status]');
    this.choice = container.querySelector('[data-preview-choice]');
    for (const scenario of scenarios) {
      const option = document.createElement('option');
      option.value = scenario.name;
      option.textContent = scenario.label;
      this.choice.append(option);
    }
    this.choice.addEventListener('change', () => this.play());
    container.querySelector('[data-preview-play]').addEventListener('click', () => this.play());
    this.ini = null;
    this.busy = false;
    this.again = false;
    this.lastMilliseconds = 0;
  }

  // The settings file to play with from now on.
  setIni(ini) {
    this.ini = ini;
    this.play();
  }

  async play() {
    if (!this.ini) return;
    if (this.busy) {
      this.again = true;
      return;
    }
    this.busy = true;
    const scenario = this.scenarios.find((s) => s.name === this.choice.value) || this.scenarios[0];
    this.status.textContent = `Playing ${scenario.name}…`;
    try {
      const result = await this.worker.request('preview', { name: scenario.name, scenario: scenario.text, ini: this.ini });
      if (!result.played) {
        this.status.textContent = `The preview could not be played: ${result.error}`;
      } else {
        this.chart.innerHTML = result.chart;
        this.timeline.textContent = result.timeline;
        this.lastMilliseconds = result.milliseconds;
        this.status.textContent = `${scenario.label}: played with your settings in ${Math.round(result.milliseconds)} ms` +
          (result.faults ? ` (${result.faults} host rule faults, see the timeline)` : '') + '.';
        document.body.dataset.previewPlayed = String((Number(document.body.dataset.previewPlayed) || 0) + 1);
      }
    } catch (error) {
      this.status.textContent = `The preview could not be played: ${error.message}`;
    } finally {
      this.busy = false;
      if (this.again) {
        this.again = false;
        this.play();
      }
    }
  }
}
