#pragma once

#include <memory>

class ConversionBatch;
class DialogPort;
class QWidget;
class TemplateDialog;
struct BatchChoices;
struct BatchSummary;

// The choices the boxes and their mirrors hold now.
BatchChoices CurrentChoices(const TemplateDialog &dialog);

// The commands that run the conversion batch, as MainDialog's start, pause
// and stop buttons run them. They work on the window through its controls
// (by id), the window's batch and its port.

// Start: shows the output folder, takes the choices from the mirrors and the
// format box once for the whole batch and starts it over the rows that are not
// done; with an empty list it only asks for files, with every row done it says
// so, and a running batch is left untouched.
void StartConversion(TemplateDialog &dialog, ConversionBatch &batch, const std::shared_ptr<DialogPort> &port);

// Pause and resume in turn: reach the encoder the running batch has going at
// the moment of the press; with none running only the button and the status
// line change.
void PauseOrResumeConversion(TemplateDialog &dialog, ConversionBatch &batch);

// Stop: ends the batch and its running tool, empties the bar.
void StopConversion(TemplateDialog &dialog, ConversionBatch &batch);

// The worker's batch has ended: tells the user what needs telling.
void ReportBatchEnd(QWidget *window, const BatchSummary &summary);
