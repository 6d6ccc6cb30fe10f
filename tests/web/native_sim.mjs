// The native simulator the page and its module are compared with:
// AMBLEWORKS_SIM, or the Linux build's ambleworks-sim.

import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const sim = process.env.AMBLEWORKS_SIM || path.join(root, 'build/linux/bin/ambleworks-sim');

// ambleworks-sim's stdout for these arguments, whatever its exit status.
export function native(args, cwd) {
  try {
    return execFileSync(sim, args, { cwd, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
  } catch (error) {
    if (typeof error.stdout === 'string' && error.status !== null) return error.stdout;
    throw error;
  }
}
