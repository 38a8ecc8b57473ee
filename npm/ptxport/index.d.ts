// SPDX-License-Identifier: MIT
// Types of the ptxport API (index.js).

/** How far the reading of one LAS file has come, in bytes. */
export interface Progress {
  file: string;
  done: number;
  total: number;
}

export interface ConvertOptions {
  /** Called as each LAS file of the run is read. */
  onProgress?: (progress: Progress) => void;
}

export interface ConvertResult {
  /** 0 after a complete run, 255 after any failure, as the command. */
  status: number;
  /** What the command prints on standard output. */
  stdout: string;
  /** Its `ptxport: ` lines on standard error. */
  stderr: string;
}

/**
 * Runs `ptxport input format`: input is a `.las` file or a list file,
 * format 0 to 19.  The outputs are written beside each LAS file.
 */
export function convert(
  input: string,
  format: number | string,
  options?: ConvertOptions
): Promise<ConvertResult>;
