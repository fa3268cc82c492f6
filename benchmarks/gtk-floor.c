/* The least a GTK3 program with a tray icon does before it waits for events: GTK opened on the
 * display, one realized (unshown) window, one status icon showing a small picture made in memory,
 * then the main loop. benchmarks/desktop-session.sh builds it and measures its start-up and
 * memory under the same display and tray as the desktop front, as the floor the toolkit sets.
 * Run it with GDK_GL=disable, as the desktop front sets for itself. */
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "floor");
  gtk_widget_realize(window);

  /* A 48-pixel square of one colour: an icon that costs no file and no icon theme. */
  GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 48, 48);
  gdk_pixbuf_fill(picture, 0x3070c0ff);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GtkStatusIcon* icon = gtk_status_icon_new_from_pixbuf(picture);
  gtk_status_icon_set_title(icon, "floor");
  gtk_status_icon_set_visible(icon, TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  g_object_unref(picture);

  gtk_main();
  return 0;
}
